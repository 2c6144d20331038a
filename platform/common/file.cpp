// Files on POSIX descriptors, with the Win32 creation dispositions and seek methods.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

#include "file_object.h"
#include "platform/kernel32.h"

namespace {

struct File final : PlatformObject {
  explicit File(int descriptor) : PlatformObject(PlatformObjectKind::File), fd(descriptor) {}
  const int fd;
};

File* AsFile(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  return handle->kind == PlatformObjectKind::File ? static_cast<File*>(handle) : nullptr;
}

int OpenFlags(DWORD access, DWORD creation) {
  int flags = O_CLOEXEC;
  const bool reads = (access & GENERIC_READ) != 0;
  const bool writes = (access & GENERIC_WRITE) != 0;
  if (reads && writes) {
    flags |= O_RDWR;
  } else if (writes) {
    flags |= O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  switch (creation) {
    case CREATE_NEW:
      return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
      return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
      return flags;
    case OPEN_ALWAYS:
      return flags | O_CREAT;
    default:
      return -1;
  }
}

}  // namespace

HANDLE CreateFileA(const char* name, DWORD access, DWORD, void* security, DWORD creation, DWORD, HANDLE templateFile) {
  if (name == nullptr || security != nullptr || templateFile != nullptr) return INVALID_HANDLE_VALUE;
  const int flags = OpenFlags(access, creation);
  if (flags == -1) return INVALID_HANDLE_VALUE;
  int fd;
  do {
    fd = open(name, flags, 0666);
  } while (fd == -1 && errno == EINTR);
  if (fd == -1) return INVALID_HANDLE_VALUE;
  // A directory opens read-only on POSIX; Windows refuses it.
  struct stat status;
  if (fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  File* file = new (std::nothrow) File(fd);
  if (file == nullptr) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

BOOL WriteFile(HANDLE handle, const void* data, DWORD size, DWORD* written, void* overlapped) {
  if (written != nullptr) *written = 0;
  File* file = AsFile(handle);
  if (file == nullptr || overlapped != nullptr || (data == nullptr && size != 0)) return FALSE;
  const char* bytes = static_cast<const char*>(data);
  DWORD done = 0;
  while (done < size) {
    const ssize_t n = write(file->fd, bytes + done, size - done);
    if (n == -1) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<DWORD>(n);
  }
  if (written != nullptr) *written = done;
  return done == size ? TRUE : FALSE;
}

DWORD GetFileSize(HANDLE handle, DWORD* high) {
  File* file = AsFile(handle);
  struct stat status;
  if (file == nullptr || fstat(file->fd, &status) != 0) return INVALID_FILE_SIZE;
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (high != nullptr) *high = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh, DWORD method) {
  File* file = AsFile(handle);
  if (file == nullptr) return INVALID_SET_FILE_POINTER;
  int whence;
  switch (method) {
    case FILE_BEGIN:
      whence = SEEK_SET;
      break;
    case FILE_CURRENT:
      whence = SEEK_CUR;
      break;
    case FILE_END:
      whence = SEEK_END;
      break;
    default:
      return INVALID_SET_FILE_POINTER;
  }
  // Without the high half the distance is a signed 32-bit value; with it, a signed 64-bit one.
  off_t offset = distance;
  if (distanceHigh != nullptr) {
    offset = static_cast<off_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
                                static_cast<std::uint32_t>(distance));
  }
  const off_t position = lseek(file->fd, offset, whence);
  if (position == -1) return INVALID_SET_FILE_POINTER;
  if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(position) >> 32);
  return static_cast<DWORD>(position);
}

int FileDescriptorOf(HANDLE handle) {
  const File* file = AsFile(handle);
  return file != nullptr ? file->fd : -1;
}

BOOL ReadFileDescriptor(int fd, void* data, DWORD size, DWORD* read) {
  if (read != nullptr) *read = 0;
  if (fd < 0 || (data == nullptr && size != 0)) return FALSE;
  char* bytes = static_cast<char*>(data);
  DWORD done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, bytes + done, size - done);
    if (n == -1) {
      if (errno == EINTR) continue;
      if (read != nullptr) *read = done;
      return FALSE;
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (read != nullptr) *read = done;
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
  const File* file = AsFile(handle);
  struct stat status;
  if (file == nullptr || size == nullptr || fstat(file->fd, &status) != 0) return FALSE;
  size->QuadPart = status.st_size;
  return TRUE;
}

BOOL DeleteFileA(const char* name) {
  if (name == nullptr) return FALSE;
  struct stat status;
  if (lstat(name, &status) != 0 || S_ISDIR(status.st_mode)) return FALSE;
  return unlink(name) == 0 ? TRUE : FALSE;
}

HANDLE GetStdHandle(DWORD which) {
  static File standardError(2);
  return which == STD_ERROR_HANDLE ? &standardError : INVALID_HANDLE_VALUE;
}

BOOL CloseFileObject(PlatformObject* object) {
  File* file = static_cast<File*>(object);
  if (file == GetStdHandle(STD_ERROR_HANDLE)) return TRUE;
  const int result = close(file->fd);
  const int error = errno;
  delete file;
  // close reports EINTR after the descriptor is already released on Linux.
  return result == 0 || error == EINTR ? TRUE : FALSE;
}
