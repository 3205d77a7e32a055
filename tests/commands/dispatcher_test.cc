#include "commands/dispatcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include "support/test_files.h"

namespace kvr {
namespace {

using testing::contents_of;
using testing::empty_stream;

// Closes the stream for real, then reports a failure, as a file system that loses the data would.
int failing_close(std::FILE* file) {
  std::fclose(file);
  return EOF;
}

struct Dispatch {
  Status status = 0;
  std::string out;
};

// Runs the command that `settings` select; the dispatcher updates `settings` in place.
Dispatch dispatch(RunSettings& settings, const FileAccess& files) {
  BoardModel model;
  LineState line;
  auto out = empty_stream();
  Dispatch result;
  result.status = run_command(settings, model, line, 0, out.get(), files);
  result.out = contents_of(out.get());
  return result;
}

// Fails only for streams open for writing: the database output of generate.
int failing_output_close(std::FILE* file) {
  bool writing = (::fcntl(fileno(file), F_GETFL) & O_ACCMODE) == O_WRONLY;
  std::fclose(file);
  return writing ? EOF : 0;
}

TEST(DispatcherTest, FailedClosesAreReportedInWords) {
  testing::TempDir folder;
  const std::string config = folder.file("good.cfg");
  const std::string database = folder.file("good.dat");
  testing::write_file(config, ";CFG-2.0\n\"cpu\" QVARM9xx\n");

  RunSettings generate;
  generate.generate = 1;
  generate.input_name = config;
  generate.output_name = database;
  ASSERT_EQ(dispatch(generate, FileAccess{}).status, 0);
  EXPECT_FALSE(generate.input_name.has_value());  // dropped after a success

  const std::string configure = "A file system error occurred when closing the configure file";
  const std::string data = "A file system error occurred when closing the database file";
  struct Row {
    std::uint16_t RunSettings::*command;
    std::string input;
    int (*close)(std::FILE*);
    std::string message;
  };
  const std::vector<Row> rows = {
      {&RunSettings::parse, config, failing_close, configure},
      {&RunSettings::generate, config, failing_close, configure},
      {&RunSettings::generate, config, failing_output_close, data},  // the input closes fine
      {&RunSettings::analyse, database, failing_close, data},
  };
  for (const Row& row : rows) {
    RunSettings settings;
    settings.*row.command = 1;
    settings.input_name = row.input;
    settings.output_name = folder.file("other.dat");
    FileAccess files;
    files.close = row.close;
    Dispatch result = dispatch(settings, files);
    EXPECT_EQ(result.status, 0);
    const std::string ending = "\n" + row.message + "\n";
    ASSERT_GE(result.out.size(), ending.size());
    EXPECT_EQ(result.out.substr(result.out.size() - ending.size()), ending);
    EXPECT_TRUE(settings.input_name.has_value());  // kept: the command did not succeed
  }
}

TEST(DispatcherTest, NoCommandOpensNothingAndPrintsNothing) {
  RunSettings settings;
  FileAccess refuses;
  refuses.open = [](const std::string&, const char*) -> std::FILE* {
    ADD_FAILURE() << "nothing may be opened";
    return nullptr;
  };
  Dispatch result = dispatch(settings, refuses);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace kvr
