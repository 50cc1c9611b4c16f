// The run's paths and connection strings, made from its base directory with
// the folders as they exist.
#include "src/workdb/work_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/paths.h"
#include "tests/build_test_util.h"
#include "tests/native_path.h"

namespace dt {
namespace {

namespace fs = std::filesystem;
using testing::Native;
using testing::TempDir;
using testing::WriteFile;

const char kProvider[] = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";

TEST(WorkPathsTest, FormedFromTheBaseWithTheFoldersAsTheyExist) {
  TempDir dir;
  const std::string base = dir.Base();
  // Nothing exists yet: the names stand as written.
  WorkPaths paths = MakeWorkPaths(base);
  EXPECT_EQ(paths.template_database, base + Native("/DataBase/empty.mdb"));
  EXPECT_EQ(paths.work_database, base + Native("/TemplateTemp/KORVA.mdb"));
  EXPECT_EQ(paths.staging_directory, base + Native("/TemplateTemp/"));
  // Where names ignore letter case, the run reports the spelling the host is
  // promised; elsewhere the folder as it is on disk.
  const std::string promised = base + Native("TempLateTemp/KORVA.mdb");
  EXPECT_EQ(paths.result_path,
            platform::kNamesIgnoreCase ? promised : base + Native("TemplateTemp/KORVA.mdb"));
  EXPECT_EQ(paths.text_connection, kProvider + base + Native("TemplateTemp/") +
                                       ";Extended Properties=text;Persist Security Info=False");
  EXPECT_EQ(paths.work_connection,
            kProvider + base + Native("TemplateTemp/KORVA.mdb") + ";Persist Security Info=False");

  // Folders and the template spelled otherwise are found ignoring case.
  fs::create_directory(dir.path() / "database");
  fs::create_directory(dir.path() / "TEMPLATETEMP");
  WriteFile(dir.path() / "database" / "EMPTY.MDB", "");
  paths = MakeWorkPaths(base);
  EXPECT_EQ(paths.template_database, base + Native("/database/EMPTY.MDB"));
  EXPECT_EQ(paths.work_database, base + Native("/TEMPLATETEMP/KORVA.mdb"));
  EXPECT_EQ(paths.result_path,
            platform::kNamesIgnoreCase ? promised : base + Native("TEMPLATETEMP/KORVA.mdb"));
  EXPECT_EQ(paths.work_connection,
            kProvider + base + Native("TEMPLATETEMP/KORVA.mdb") + ";Persist Security Info=False");
}

}  // namespace
}  // namespace dt
