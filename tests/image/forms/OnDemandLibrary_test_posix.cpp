// The loader behind the compression libraries: the library and its functions are found at the first call,
// and one that is missing fails that call, named on stderr, instead of the program's start.
#include "libraries/OnDemandLibrary_posix.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

TEST(OnDemandLibrary, OpensWhatExistsAndNamesWhatDoesNot) {
  void* slots[2] = {};
  ASSERT_TRUE(OpenOnDemand("libz.so.1", {"inflate", "zlibVersion"}, slots));
  EXPECT_NE(slots[0], nullptr);
  EXPECT_STREQ(SlotFunction<const char* (*)()>(slots, 1)(), ZLIB_VERSION);  // the header's own library

  struct Case {
    const char* soname;
    const char* function;
  } missing[] = {
      {"libz.so.1", "no_such_function"},
      {"libdiskelle-missing.so.9", "inflate"},
  };
  for (const Case& c : missing) {
    SCOPED_TRACE(c.soname);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(OpenOnDemand(c.soname, {"inflate", c.function}, slots));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(c.soname), std::string::npos) << said;
  }
}
