// The Windows services themselves: share modes against a second handle, and
// the system's ANSI code page. (The shell's folder browser is a modal dialog
// and is not tested.)
#include <windows.h>

#include <gtest/gtest.h>

#include "hostlib/zoipc.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;
using Platform::OpenOutcome;

namespace {

/// A second handle on a file, opened the way another program might.
class OtherHandle {
 public:
  OtherHandle(const std::filesystem::path& file, DWORD access, DWORD sharing)
      : handle_(CreateFileW(file.c_str(), access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OtherHandle() {
    if (IsOpen()) CloseHandle(handle_);
  }
  OtherHandle(const OtherHandle&) = delete;
  OtherHandle& operator=(const OtherHandle&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Our open lets others read only: it cannot join an exclusive reader or a
// writer, and a writer cannot join it.
TEST(PlatformShareModes, OurOpenSharesReadingOnly) {
  zotest::TempDir dir;
  const std::filesystem::path file = dir.Write("shared.c", "int x;");
  const auto open = [&] { return Platform::OpenForRead(file.u16string()).outcome; };
  for (const auto& [access, sharing] :
       {std::pair<DWORD, DWORD>{GENERIC_READ, 0}, {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
    OtherHandle other(file, access, sharing);
    ASSERT_TRUE(other.IsOpen());
    EXPECT_EQ(open(), OpenOutcome::sharingViolation);
  }
  auto ours = Platform::OpenForRead(file.u16string());
  ASSERT_EQ(ours.outcome, OpenOutcome::ok);
  EXPECT_TRUE(OtherHandle(file, GENERIC_READ, FILE_SHARE_READ).IsOpen());
  OtherHandle writer(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  const DWORD error = GetLastError();
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST(PlatformWin32CodePages, CodePageZeroIsTheSystemsAnsiCodePageNotTheHostKnob) {
  const char bytes[] = "caf\xE9 \x80 \x82\xA0";
  zoIPC::host::SetAnsiCodePage(932);
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, sizeof(bytes) - 1, 0),
            Platform::AnsiToUtf16(bytes, sizeof(bytes) - 1, GetACP()));
  zoIPC::host::SetAnsiCodePage(1252);
}

}  // namespace
