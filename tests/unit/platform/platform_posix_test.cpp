// What the host decides on systems without the Windows services: the ANSI
// code page and the folder chooser.
#include <gtest/gtest.h>

#include "hostlib/zoipc.h"
#include "platform/platform.h"

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;

namespace {

TEST(PlatformCodePages, CodePageZeroIsTheHostsChoice) {
  const char bytes[] = "\xE9";
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, 1, 0), u"\u00E9");
  zoIPC::host::SetAnsiCodePage(1251);
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, 1, 0), u"\u0439");
  zoIPC::host::SetAnsiCodePage(1252);
}

TEST(PlatformFolderChooser, UsesTheHostsChooserAndNoneMeansCancelled) {
  EXPECT_FALSE(Platform::ChooseFolder("Select output folder...").has_value());
  std::string seenTitle;
  zoIPC::host::SetFolderChooser([&](const std::string& title) -> std::optional<std::string> {
    seenTitle = title;
    return "/tmp/dump";
  });
  EXPECT_EQ(Platform::ChooseFolder("Select output folder..."), "/tmp/dump");
  EXPECT_EQ(seenTitle, "Select output folder...");
  zoIPC::host::SetFolderChooser(nullptr);
}

}  // namespace
