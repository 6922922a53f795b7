#include "textfile/file_system_windows.hpp"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

#include "textfile/direct_whole_file.hpp"

namespace durno {

namespace {

// A name in the form the wide file calls take: the whole path, in UTF-16, made absolute
// and given the long-path prefix ("\\?\C:\...", "\\?\UNC\server\..."), so that no
// length short of the file system's own limit is refused. GetFullPathNameW applies the
// system's own rules on the way ('/' and '\', "..", trailing dots and blanks, the current
// folder of a drive), and turns a name that the system takes for a device (nul, con,
// com1.dat in any folder) into the device form "\\.\NUL", which tells it apart.
struct SystemName {
  std::wstring path;
  bool device = false;
};

std::wstring widened(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
  return wide;
}

bool startsWith(const std::wstring& text, std::wstring_view start) {
  return text.compare(0, start.size(), start) == 0;
}

// The long form "\\?\C:\..." or "\\?\UNC\server\..." goes to the system as it is, which
// takes only '\' in it: the layer's '/' are put back.
bool isLongForm(std::string_view name) {
  auto separator = [name](std::size_t at) { return name[at] == '\\' || name[at] == '/'; };
  return name.size() >= 4 && separator(0) && separator(1) && name[2] == '?' && separator(3);
}

SystemName systemNameOf(const std::string& name) {
  std::wstring wide = widened(name, windowsNamesCodePage());
  if (isLongForm(name)) {
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return {wide, false};
  }
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {wide, false};  // the open that follows tells why
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return {wide, false};
  full.resize(length);
  if (startsWith(full, L"\\\\.\\")) return {full, true};
  if (startsWith(full, L"\\\\")) return {L"\\\\?\\UNC\\" + full.substr(2), false};
  return {L"\\\\?\\" + full, false};
}

// The reason an output that is not a file on disk is refused: written there, a table or a
// list would be lost (nul) or sent to a port (com1).
constexpr const char* kDeviceReason = "it is a device, not a disk file";

FileStatus lastSystemFailure() {
  return FileStatus::systemFailure(windowsErrorReason(::GetLastError()));
}

class WindowsFile : public SystemFile {
 public:
  // diskFile false: treated as a device whatever it is (standard output, which the layer
  // must never cut to length).
  WindowsFile(HANDLE handle, bool mayBeDiskFile) : WindowsFile(handle) {
    diskFile_ = diskFile_ && mayBeDiskFile;
  }
  explicit WindowsFile(HANDLE handle) : handle_(handle) {
    const DWORD type = ::GetFileType(handle);
    DWORD consoleMode = 0;
    diskFile_ = type == FILE_TYPE_DISK;
    interactive_ = type == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &consoleMode) != 0;
  }
  ~WindowsFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  WindowsFile(const WindowsFile&) = delete;
  WindowsFile& operator=(const WindowsFile&) = delete;

  HANDLE handle() const { return handle_; }
  bool isDiskFile() const override { return diskFile_; }
  bool isInteractive() const override { return interactive_; }

  // A pipe whose writer has gone reports ERROR_BROKEN_PIPE: that is its end of data.
  FileStatus read(char* buffer, std::size_t size, std::size_t& count) override {
    count = 0;
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, ULONG_MAX));
    if (::ReadFile(handle_, buffer, wanted, &got, nullptr) == 0) {
      if (::GetLastError() == ERROR_BROKEN_PIPE) return FileStatus::success();
      return lastSystemFailure();
    }
    count = got;
    return FileStatus::success();
  }

  // A device may take part of a write; the rest is offered again until it refuses.
  FileStatus write(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD put = 0;
      const DWORD offered = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), ULONG_MAX));
      if (::WriteFile(handle_, bytes.data(), offered, &put, nullptr) == 0) {
        return lastSystemFailure();
      }
      if (put == 0) return FileStatus::systemFailure(windowsErrorReason(ERROR_WRITE_FAULT));
      bytes.remove_prefix(put);
    }
    return FileStatus::success();
  }

  // SetEndOfFile cuts at the file position, so the position is moved there and back: the
  // next write goes where it would have gone.
  FileStatus truncate(unsigned long long length) override {
    LARGE_INTEGER here{};
    LARGE_INTEGER cut{};
    cut.QuadPart = static_cast<LONGLONG>(length);
    if (::SetFilePointerEx(handle_, LARGE_INTEGER{}, &here, FILE_CURRENT) == 0 ||
        ::SetFilePointerEx(handle_, cut, nullptr, FILE_BEGIN) == 0 ||
        ::SetEndOfFile(handle_) == 0 ||
        ::SetFilePointerEx(handle_, here, nullptr, FILE_BEGIN) == 0) {
      return lastSystemFailure();
    }
    return FileStatus::success();
  }

  FileStatus close() override {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (::CloseHandle(handle) == 0) return lastSystemFailure();
    return FileStatus::success();
  }

 private:
  HANDLE handle_;
  bool diskFile_ = false;
  bool interactive_ = false;
};

// The file's identity: the volume's serial number and the file's index on it.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

bool identifyHandle(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (::GetFileInformationByHandle(handle, &information) == 0) return false;
  identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh,
              information.nFileIndexLow};
  return true;
}

// Opened for no access and sharing everything, so that a file any program holds can still
// be identified; folders need FILE_FLAG_BACKUP_SEMANTICS to be opened at all.
bool identify(const std::string& name, FileIdentity& identity) {
  const HANDLE handle = ::CreateFileW(systemNameOf(name).path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = identifyHandle(handle, identity);
  ::CloseHandle(handle);
  return known;
}

}  // namespace

const std::string& outOfMemoryReason() {
  static const std::string reason = windowsErrorReason(ERROR_NOT_ENOUGH_MEMORY);
  return reason;
}

unsigned int windowsNamesCodePage() {
  const UINT console = ::GetConsoleCP();
  return console != 0 ? console : ::GetOEMCP();
}

// The wide message, so that it can be given in the console's output code page: the ANSI
// one FormatMessageA gives shows wrong letters on the console ("Acc?s refus").
std::string windowsErrorReason(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&text), 0,
      nullptr);
  std::wstring wide = length > 0 && text != nullptr ? std::wstring(text, length) : std::wstring();
  if (text != nullptr) ::LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ' ||
                           wide.back() == L'.')) {
    wide.pop_back();
  }
  if (wide.empty()) return "error " + std::to_string(error);
  const UINT consoleOutput = ::GetConsoleOutputCP();
  return windowsBytesOf(wide, consoleOutput != 0 ? consoleOutput : ::GetOEMCP());
}

std::string windowsBytesOf(std::wstring_view text, unsigned int codePage, unsigned long flags) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  // UTF-8 takes no flags: it has every character.
  if (codePage == CP_UTF8) flags = 0;
  const int length =
      ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(std::max(length, 0)), '\0');
  if (length > 0) {
    ::WideCharToMultiByte(codePage, flags, text.data(), size, bytes.data(), length, nullptr,
                          nullptr);
  }
  return bytes;
}

// A reader lets others read and write, as another program (ZEPRO) may still be writing
// the result file; a writer lets nobody in. Only a disk file is opened for Output: the
// device name is refused before the device is touched, and anything else that is not a
// disk file (a pipe's name) once opened, before a byte goes to it.
std::unique_ptr<SystemFile> WindowsFileSystem::open(const std::string& name, FileMode mode,
                                                    FileStatus& status) {
  const bool input = mode == FileMode::Input;
  const SystemName systemName = systemNameOf(name);
  if (!input && systemName.device) {
    status = FileStatus::systemFailure(kDeviceReason);
    return nullptr;
  }
  const HANDLE handle =
      ::CreateFileW(systemName.path.c_str(), input ? GENERIC_READ : GENERIC_WRITE,
                    input ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr,
                    input ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    status = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                 ? FileStatus::inUse()
                 : FileStatus::systemFailure(windowsErrorReason(error));
    return nullptr;
  }
  auto file = std::make_unique<WindowsFile>(handle);
  if (!input && !file->isDiskFile()) {
    status = FileStatus::systemFailure(kDeviceReason);
    return nullptr;
  }
  return file;
}

std::size_t WindowsFileSystem::systemPrefixLength(std::string_view name) const {
  return isLongForm(name) ? 4 : 0;
}

// Notepad writes UTF-8 (with or without a byte order mark) or, in older versions, the ANSI
// code page: a list whose names are all valid UTF-8 is taken as UTF-8. A character the
// names' code page lacks becomes '?', which no name may hold, rather than a look-alike that
// would name another file.
void WindowsFileSystem::takeListedNames(std::span<std::string> names) const {
  const bool utf8 = std::all_of(names.begin(), names.end(), [](const std::string& name) {
    return name.empty() || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(),
                                                 static_cast<int>(name.size()), nullptr, 0) > 0;
  });
  const UINT listCodePage = utf8 ? CP_UTF8 : ::GetACP();
  const UINT namesCodePage = windowsNamesCodePage();
  for (std::string& name : names) {
    // Lists this program saved before it saved them in UTF-8 hold the console's code page:
    // a name that leads to a file as it stands is kept as it is.
    if (!utf8 && ::GetFileAttributesW(systemNameOf(name).path.c_str()) != INVALID_FILE_ATTRIBUTES)
      continue;
    name = windowsBytesOf(widened(name, listCodePage), namesCodePage, WC_NO_BEST_FIT_CHARS);
  }
}

// Saved in UTF-8, a list reads back as it was and shows its names in any editor.
std::string WindowsFileSystem::listedName(std::string_view name) const {
  return windowsBytesOf(widened(name, windowsNamesCodePage()), CP_UTF8);
}

bool WindowsFileSystem::sameFile(const std::string& first, const std::string& second) {
  FileIdentity firstIdentity;
  FileIdentity secondIdentity;
  return identify(first, firstIdentity) && identify(second, secondIdentity) &&
         firstIdentity == secondIdentity;
}

// Windows takes names that differ only in case, in the separator or in ".." for one file,
// whether it exists yet or not: the full names are compared without case.
bool WindowsFileSystem::oneFile(const std::string& first, const std::string& second) {
  if (sameFile(first, second)) return true;
  const std::wstring firstPath = systemNameOf(first).path;
  const std::wstring secondPath = systemNameOf(second).path;
  return ::CompareStringOrdinal(firstPath.data(), static_cast<int>(firstPath.size()),
                                secondPath.data(), static_cast<int>(secondPath.size()),
                                TRUE) == CSTR_EQUAL;
}

bool WindowsFileSystem::leadsTo(const std::string& name, const SystemFile& file) {
  const auto* windowsFile = dynamic_cast<const WindowsFile*>(&file);
  FileIdentity named;
  FileIdentity held;
  return windowsFile != nullptr && identify(name, named) &&
         identifyHandle(windowsFile->handle(), held) && named == held;
}

// A duplicate of the standard output handle, so that closing the table leaves standard
// output open for the messages that follow.
std::unique_ptr<SystemFile> WindowsFileSystem::standardOutput(FileStatus& status) {
  const HANDLE process = ::GetCurrentProcess();
  HANDLE duplicate = INVALID_HANDLE_VALUE;
  if (::DuplicateHandle(process, ::GetStdHandle(STD_OUTPUT_HANDLE), process, &duplicate, 0, FALSE,
                        DUPLICATE_SAME_ACCESS) == 0) {
    status = lastSystemFailure();
    return nullptr;
  }
  return std::make_unique<WindowsFile>(duplicate, false);
}

bool WindowsFileSystem::folderExists(const std::string& name) {
  const DWORD attributes = ::GetFileAttributesW(systemNameOf(name).path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

long long WindowsFileSystem::diskFileSize(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (::GetFileAttributesExW(systemNameOf(name).path.c_str(), GetFileExInfoStandard, &data) == 0 ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return -1;
  }
  return static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                                data.nFileSizeLow);
}

}  // namespace durno

namespace durno {

namespace {

FileStatus openFailure(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
             ? FileStatus::inUse()
             : FileStatus::systemFailure(windowsErrorReason(error));
}

class ReplacingWholeFile : public WholeFile {
 public:
  ReplacingWholeFile(HANDLE file, std::wstring newName, std::wstring name, HANDLE heldOld)
      : file_(std::make_unique<WindowsFile>(file)),
        handle_(file),
        newName_(std::move(newName)),
        name_(std::move(name)),
        heldOld_(heldOld) {}
  ~ReplacingWholeFile() override {
    if (!committed_) {
      file_.reset();
      ::DeleteFileW(newName_.c_str());
    }
    letOldGo();
  }
  ReplacingWholeFile(const ReplacingWholeFile&) = delete;
  ReplacingWholeFile& operator=(const ReplacingWholeFile&) = delete;

  FileStatus write(std::string_view bytes) override { return file_->write(bytes); }

  // A file that is open cannot be replaced, so the old one is let go just before the move.
  FileStatus commit() override {
    if (::FlushFileBuffers(handle_) == 0) return lastSystemFailure();
    if (FileStatus closed = file_->close(); !closed.ok()) return closed;
    letOldGo();
    if (::MoveFileExW(newName_.c_str(), name_.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
      return openFailure(::GetLastError());
    }
    committed_ = true;
    return {};
  }

 private:
  void letOldGo() {
    if (heldOld_ != INVALID_HANDLE_VALUE) ::CloseHandle(heldOld_);
    heldOld_ = INVALID_HANDLE_VALUE;
  }

  std::unique_ptr<WindowsFile> file_;
  HANDLE handle_;
  std::wstring newName_, name_;
  HANDLE heldOld_;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<WholeFile> WindowsFileSystem::openWhole(const std::string& name,
                                                        FileStatus& status) {
  // Read access, shared with readers only: refused while a writer has the file, and no
  // writer gets it until the new file has taken its place.
  const SystemName systemName = systemNameOf(name);
  if (systemName.device) {
    status = FileStatus::systemFailure(kDeviceReason);
    return nullptr;
  }
  HANDLE held =
      ::CreateFileW(systemName.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) {
      status = openFailure(error);
      return nullptr;
    }
  } else if (::GetFileType(held) != FILE_TYPE_DISK) {
    ::CloseHandle(held);
    std::unique_ptr<SystemFile> device = open(name, FileMode::Output, status);
    if (!device) return nullptr;
    return std::make_unique<DirectWholeFile>(std::move(device));
  }
  for (;;) {
    const std::wstring newName = systemName.path + L"." + std::to_wstring(::GetCurrentProcessId()) +
                                 L"-" + std::to_wstring(++newFiles_) + L".tmp";
    const HANDLE file = ::CreateFileW(newName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      return std::make_unique<ReplacingWholeFile>(file, newName, systemName.path, held);
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
    status = openFailure(error);
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    return nullptr;
  }
}

bool WindowsFileSystem::standardOutputIs(const std::string& name) {
  BY_HANDLE_FILE_INFORMATION information{};
  FileIdentity named;
  if (::GetFileInformationByHandle(::GetStdHandle(STD_OUTPUT_HANDLE), &information) == 0 ||
      !identify(name, named)) {
    return false;
  }
  return named == FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                               information.nFileIndexLow};
}

}  // namespace durno
