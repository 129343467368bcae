// The update file: which line is the address, which the version, what becomes history.
#include "net/UpdateFile.h"

#include <gtest/gtest.h>

namespace {

TEST(UpdateFile, FindsAddressVersionAndHistoryLineByLine) {
  struct Case {
    const char* text;
    const char* address;
    const char* version;
    const char* history;
    bool other;
  } cases[] = {
      {"http://d.example/\n$VERSION\n2.2.5\n- fixes\n", "http://d.example/", "2.2.5", "2.2.5\r\n- fixes", false},
      {"http://d.example/\r\n$VERSION\r\n2.3.0\r\n\r\n", "http://d.example/", "2.3.0", "2.3.0", true},
      {"http://d.example/\n$VERSION\n2.2.4\n", "http://d.example/", "2.2.4", "2.2.4", true},
      // Without a marker the version is empty, and that too is another version.
      {"http://d.example/\n2.2.5\nold news", "http://d.example/", "", "2.2.5\r\nold news", true},
      // A marker after history is dropped; its next line stays history.
      {"http://d.example/\nintro\n$VERSION\n2.2.5", "http://d.example/", "", "intro\r\n2.2.5", true},
      {"http://d.example/\n$VERSION\n2.2.5\n$VERSION\n9.9", "http://d.example/", "2.2.5", "2.2.5\r\n9.9", false},
      {"http://d.example/\n$version\n2.2.5", "http://d.example/", "", "$version\r\n2.2.5", true},
      {"http://d.example/\n$VERSION", "http://d.example/", "", "", true},
      {"http://d.example/\n$VERSION\n2.2.5\r\r\n  \t\n", "http://d.example/", "2.2.5", "2.2.5", false},
      {"h\rttp://d.example/\n$VERSION\n2.2\r.5", "http://d.example/", "2.2.5", "2.2.5", false},
      // The address the link would open comes from the server: anything but a web or mail link is dropped.
      {"file:///C:/Windows/System32/calc.exe\n$VERSION\n2.3", "", "2.3", "2.3", true},
      {"", "", "", "", true},
  };
  for (const Case& c : cases) {
    UpdateFile file = ParseUpdateFile(c.text);
    EXPECT_EQ(file.downloadAddress, c.address) << c.text;
    EXPECT_EQ(file.version, c.version) << c.text;
    EXPECT_EQ(file.history, c.history) << c.text;
    EXPECT_EQ(IsOtherVersion(file), c.other) << c.text;
  }
}

}  // namespace
