// The last failure as an English sentence, for programs that run with the log off. Every call
// that returns its failure value says here what failed and why; a later success leaves it.
#pragma once

// printf-formatted; the sentence is cut to 511 bytes.
void SetLastErrorText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// SetLastErrorText, and the same sentence as a line of the log.
void ReportFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ClearLastErrorText();
// SetLastErrorText, then -1: for `return FailWithText(...)` at a call's failure exit.
int FailWithText(const char* format, ...) __attribute__((format(printf, 1, 2)));
