#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Records every call as a line; paths in `loadable` load, everything else fails like a missing file.
class FakeHost : public ICommandLineHost {
 public:
  void EnterBatchMode() override { log.push_back("batch"); }
  bool OpenAsSource(const std::string& path) override {
    log.push_back("open " + path);
    return Loadable(path);
  }
  int LoadCurrentImage(const std::string& path) override {
    log.push_back("load " + path);
    return Loadable(path) ? 0 : -1;
  }
  int SetCurrentTarget(const std::string& path) override {
    log.push_back("target " + path);
    return ValidTarget(path) ? 0 : -1;
  }
  void SetCurrentDescription(const std::string& text) override { log.push_back("describe " + text); }
  OperationOutcome WriteImageToFloppy() override { return Run("write"); }
  OperationOutcome ReadFloppyToImage() override { return Run("read"); }
  OperationOutcome CheckCurrentIntegrity() override { return Run("check"); }
  int LoadConversionSource(const std::string& path) override {
    log.push_back("source " + path);
    return Loadable(path) ? 0 : -1;
  }
  int SetConversionTarget(const std::string& path) override {
    log.push_back("convert-target " + path);
    return ValidTarget(path) ? 0 : -1;
  }
  void SetConversionDescription(const std::string& text) override { log.push_back("source-describe " + text); }
  OperationOutcome RunConversion() override { return Run("convert"); }
  void ShowCommandLineHelp() override { log.push_back("help"); }

  std::set<std::string> loadable = {"a.img", "b.img", "a.imz", "/abs/a.img"};
  OperationOutcome outcome = OperationOutcome::Succeeded;
  std::vector<std::string> log;

 private:
  bool Loadable(const std::string& path) const { return loadable.count(path) != 0; }
  static bool ValidTarget(const std::string& path) {
    return path.size() >= 4 && (path.ends_with(".img") || path.ends_with(".imz") || path.ends_with(".exe"));
  }
  OperationOutcome Run(const std::string& name) {
    log.push_back(name);
    return outcome;
  }
};

struct CommandLineCase {
  const char* title;
  std::vector<std::string> args;  // without argument 0
  std::vector<std::string> calls;
  bool interactive;
  int dialogResult;
  int exitCode;
};

std::vector<std::string> WithProgram(const std::vector<std::string>& args) {
  std::vector<std::string> all{"C:\\Diskelle\\diskelle.exe"};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

TEST(CommandLine, StartDecisionsAndOperations) {
  const CommandLineCase cases[] = {
      {"no arguments: interactive", {}, {}, true, 0, 0},
      {"one image: opened for interactive use", {"a.imz"}, {"open a.imz"}, true, 0, 0},
      {"one missing file: message, help, end", {"missing.img"}, {"open missing.img", "help"}, false, 2, 2},
      {"a lone switch is no image", {"/w"}, {"help"}, false, 2, 2},
      {"switches ignore case", {"/I", "a.img", "/W"}, {"load a.img", "write"}, false, 1, 0},
      {"first operation wins", {"/w", "/i", "a.img", "/t"}, {"load a.img", "write"}, false, 1, 0},
      {"operand beginning with / is no file", {"/i", "/w"}, {"help"}, false, 2, 2},
      {"no operation: nothing runs", {"/i", "a.img"}, {}, false, 1, 0},
      {"last operand wins", {"/i", "a.img", "/i", "b.img", "/t"}, {"load b.img", "check"}, false, 1, 0},
      {"convert without output", {"/c", "/i", "a.img"}, {"help"}, false, 2, 2},
      {"convert without input", {"/c", "/o", "out.imz"}, {"help"}, false, 2, 2},
      {"convert", {"/c", "/i", "a.img", "/o", "out.imz"},
       {"source a.img", "convert-target out.imz", "convert"}, false, 1, 0},
      {"convert with description", {"/c", "/i", "a.img", "/o", "out.exe", "/d", "新描述"},
       {"source a.img", "convert-target out.exe", "source-describe 新描述", "convert"}, false, 1, 0},
      {"convert from a missing file", {"/c", "/i", "x.img", "/o", "out.imz"}, {"source x.img"}, false, 2, 2},
      {"convert to a bad extension", {"/c", "/i", "a.img", "/o", "out.zip"},
       {"source a.img", "convert-target out.zip"}, false, 2, 2},
      {"read with description", {"/r", "/o", "disk.img", "/d", "My disk"},
       {"target disk.img", "describe My disk", "read"}, false, 1, 0},
      {"read without description stores an empty one", {"/r", "/o", "disk.imz"},
       {"target disk.imz", "describe ", "read"}, false, 1, 0},
      {"read to a bad extension", {"/o", "disk.txt", "/r"}, {"target disk.txt"}, false, 2, 2},
      {"write from a missing file", {"/i", "x.img", "/w"}, {"load x.img"}, false, 2, 2},
      {"check", {"/t", "/i", "a.img"}, {"load a.img", "check"}, false, 1, 0},
      // The description "/t" is taken as the operand of /d, yet the operation walk sees every argument.
      {"an operand is taken whatever it looks like", {"/i", "a.img", "/d", "/t", "/c", "/o", "o.img"},
       {"load a.img", "check"}, false, 1, 0},
      // After /d took "/i", the /i test sees that same position and takes "/o" as the input path.
      {"each test sees the index the previous one left", {"/c", "/i", "a.img", "/d", "/i", "/o", "o.img"},
       {"source /o"}, false, 2, 2},
      {"a switch in last position is ignored", {"/i", "a.img", "/w", "/i"}, {"load a.img", "write"}, false, 1, 0},
      {"-i and /input are not switches", {"-i", "a.img", "/input", "b.img", "/w"}, {"help"}, false, 2, 2},
      {"stray arguments are ignored", {"stray", "/x", "/i", "a.img", "/t"}, {"load a.img", "check"}, false, 1, 0},
  };
  for (const CommandLineCase& c : cases) {
    FakeHost host;
    AppSettings settings;
    CommandLine commandLine(WithProgram(c.args), settings, host);
    StartDecision decision = commandLine.Start();
    // A batch run announces itself before it runs anything (after a failed attempt to open one image).
    std::vector<std::string> expected = c.calls;
    if (!c.interactive) {
      bool triedToOpen = !expected.empty() && expected[0].rfind("open ", 0) == 0;
      expected.insert(expected.begin() + (triedToOpen ? 1 : 0), "batch");
    }
    EXPECT_EQ(host.log, expected) << c.title;
    EXPECT_EQ(decision.interactive, c.interactive) << c.title;
    EXPECT_EQ(decision.batchMode, !c.interactive) << c.title;
    EXPECT_EQ(decision.dialogResult, c.dialogResult) << c.title;
    EXPECT_EQ(decision.exitCode, c.exitCode) << c.title;
  }
}

TEST(CommandLine, FailedOperationsExitWithOne) {
  for (auto args : std::vector<std::vector<std::string>>{{"/i", "a.img", "/w"},
                                                          {"/r", "/o", "x.imz"},
                                                          {"/t", "/i", "a.img"},
                                                          {"/c", "/i", "a.img", "/o", "b.imz"}}) {
    FakeHost host;
    host.outcome = OperationOutcome::Failed;
    AppSettings settings;
    CommandLine commandLine(WithProgram(args), settings, host);
    StartDecision decision = commandLine.Start();
    EXPECT_EQ(decision.dialogResult, 1) << args[0];
    EXPECT_EQ(decision.exitCode, kExitOperationFailed) << args[0];
  }
}

TEST(CommandLine, BatchSettingsReplaceStoredOnesAndModifiersApplyAnywhere) {
  struct SettingsCase {
    std::vector<std::string> args;
    const char* fdLetter;
    uint32_t suppress, formatDisk, verifyFormat, verifyWrite;
  } cases[] = {
      {{"/r", "/o", "out.imz"}, "A:", 0, 0, 1, 1},
      {{"/b", "/r", "/o", "out.imz"}, "B:", 0, 0, 1, 1},
      {{"/f", "/i", "a.img", "/w"}, "A:", 0, 1, 1, 1},
      {{"/i", "a.img", "/w", "/v"}, "A:", 0, 0, 0, 0},
      {{"/i", "a.img", "/w", "/S"}, "A:", 1, 0, 1, 1},
      // No operand is skipped in the first pass: a description "/s" also suppresses.
      {{"/r", "/o", "out.img", "/d", "/s"}, "A:", 1, 0, 1, 1},
      // The help case still applies modifiers before it fails.
      {{"/b", "/f"}, "B:", 0, 1, 1, 1},
  };
  for (const SettingsCase& c : cases) {
    FakeHost host;
    AppSettings settings;
    settings.m_fdLetter = "B:";
    settings.m_suppress = 1;
    settings.m_formatDisk = 1;
    settings.m_verifyFormat = 0;
    settings.m_verifyWrite = 0;
    settings.m_emergency = 1;
    CommandLine commandLine(WithProgram(c.args), settings, host);
    commandLine.Start();
    EXPECT_EQ(settings.m_fdLetter, c.fdLetter) << c.args[0];
    EXPECT_EQ(settings.m_suppress, c.suppress) << c.args[0];
    EXPECT_EQ(settings.m_formatDisk, c.formatDisk) << c.args[0];
    EXPECT_EQ(settings.m_verifyFormat, c.verifyFormat) << c.args[0];
    EXPECT_EQ(settings.m_verifyWrite, c.verifyWrite) << c.args[0];
    EXPECT_EQ(settings.m_emergency, 1u) << "other settings keep their stored values";
  }
}

TEST(CommandLine, InteractiveStartsLeaveSettingsAlone) {
  for (auto args : std::vector<std::vector<std::string>>{{}, {"a.img"}}) {
    FakeHost host;
    AppSettings settings;
    settings.m_fdLetter = "B:";
    settings.m_formatDisk = 1;
    CommandLine commandLine(WithProgram(args), settings, host);
    EXPECT_TRUE(commandLine.Start().interactive);
    EXPECT_EQ(settings.m_fdLetter, "B:");
    EXPECT_EQ(settings.m_formatDisk, 1u);
  }
}

TEST(CommandLine, PosixPathsAreOperandsNotSwitches) {
  struct StyleCase {
    std::vector<std::string> args;
    PathStyle style;
    std::vector<std::string> calls;
    int exitCode;
  } cases[] = {
      {{"/r", "/o", "/home/u/disk.imz"}, PathStyle::Posix, {"batch", "target /home/u/disk.imz", "describe ", "read"}, 0},
      {{"/r", "/o", "/home/u/disk.imz"}, PathStyle::Windows, {"batch", "help"}, 2},
      {{"/abs/a.img"}, PathStyle::Posix, {"open /abs/a.img"}, 0},
      {{"/abs/a.img"}, PathStyle::Windows, {"batch", "help"}, 2},
      {{"/i", "/w"}, PathStyle::Posix, {"batch", "help"}, 2},
      {{"/i", "/input", "/w"}, PathStyle::Posix, {"batch", "help"}, 2},
      {{"/i", "/a.img", "/t"}, PathStyle::Posix, {"batch", "load /a.img"}, 2},
  };
  for (const StyleCase& c : cases) {
    FakeHost host;
    AppSettings settings;
    CommandLine commandLine(WithProgram(c.args), settings, host, c.style);
    StartDecision decision = commandLine.Start();
    EXPECT_EQ(host.log, c.calls) << c.args[0] << " " << (c.style == PathStyle::Posix ? "posix" : "windows");
    EXPECT_EQ(decision.exitCode, c.exitCode) << c.args[0];
  }
}

TEST(CommandLine, ImagePathsAreMadeFullAndNothingElse) {
  auto full = [](const std::string& path) { return "C:\\work\\" + path; };
  struct PathCase {
    std::vector<std::string> args;
    std::vector<std::string> expected;
  } cases[] = {
      {{"a.img"}, {"C:\\work\\a.img"}},
      {{"/w"}, {"/w"}},
      {{"/i", "a.img", "/w"}, {"/i", "C:\\work\\a.img", "/w"}},
      {{"/c", "/i", "a.img", "/o", "out.imz", "/d", "my disk"},
       {"/c", "/i", "C:\\work\\a.img", "/o", "C:\\work\\out.imz", "/d", "my disk"}},
      {{"/i", "a.img", "/i", "b.img", "/t"}, {"/i", "a.img", "/i", "C:\\work\\b.img", "/t"}},  // the one used
      {{"/i", "/w"}, {"/i", "/w"}},
      // The input taken is "/o" and stays; "o.img" is still taken as the output.
      {{"/c", "/i", "a.img", "/d", "/i", "/o", "o.img"}, {"/c", "/i", "a.img", "/d", "/i", "/o", "C:\\work\\o.img"}},
      {{"/r", "/o", ""}, {"/r", "/o", ""}},
      {{}, {}},
  };
  for (const PathCase& c : cases) {
    std::vector<std::string> made = WithFullImagePaths(WithProgram(c.args), PathStyle::Windows, full);
    EXPECT_EQ(made, WithProgram(c.expected)) << (c.args.empty() ? "" : c.args[0]);
  }
}

TEST(CommandLine, HelpHasTheDialogsLines) {
  std::vector<std::string> lines = CommandLineHelpLines();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines.front(), "<程序> /i <输入文件> | /o <输出文件> [参数]");
  EXPECT_EQ(lines[8], "/b  使用软盘驱动器 B: 而不是 A:");
  EXPECT_EQ(lines.back().rfind("映像文件将以压缩的方式", 0), 0u);
}

}  // namespace
