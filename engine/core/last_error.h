// The last failure as an English sentence, for programs that run with the log off. Every call
// that returns its failure value says here what failed and why; a later success leaves it.
#pragma once

// printf-formatted; the sentence is cut to 511 bytes.
void SetLastErrorText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// SetLastErrorText, and the same sentence as a line of the log.
void ReportFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ClearLastErrorText();

// Puts the sentence back as it was when the scope ends: around helpers that set a reason but
// may fail inside a call that goes on to succeed.
class KeepLastErrorText {
 public:
  KeepLastErrorText();
  ~KeepLastErrorText();
  KeepLastErrorText(const KeepLastErrorText&) = delete;
  KeepLastErrorText& operator=(const KeepLastErrorText&) = delete;

 private:
  char saved_[512];
};
// SetLastErrorText, then -1: for `return FailWithText(...)` at a call's failure exit.
int FailWithText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// -1, with "call: " put before the sentence: for a call whose helper (shared by several calls)
// left the reason it failed with SetLastErrorText.
int FailNamingCall(const char* call);
