// Start-up: identity, data folder, settings file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app_test_util.h"
#include "start_up.h"
#include "version_info.h"

namespace braceform::testing {
namespace {

TEST(StartUp, Identity) {
  AppIdentity id = ReadAppIdentity(QStringLiteral("/opt/x/braceform"));
  EXPECT_EQ(id.AppCompanyName, "TARNVEX");
  EXPECT_EQ(id.AppProductName, "Braceform");
  EXPECT_EQ(id.AppVersion, "2.0");
  EXPECT_EQ(id.AppTitle, "TARNVEX - Braceform");
  EXPECT_EQ(ReadEXEVersionData(QStringLiteral("/opt/x/braceform")).OriginalFileName, "braceform");
  EXPECT_EQ(ReadEXEVersionData(QString()).FileVersion, "2.0.0.0");
  EXPECT_TRUE(ReadEXEVersionData(QString()).SpecialBuild.isEmpty());
}

TEST(StartUp, DataFolder) {
  QTemporaryDir root;
  QDir dir(root.path());
  dir.mkdir("exe");
  dir.mkdir("user");
  const QString exe = root.filePath("exe"), user = root.filePath("user");

  // Writable executable folder: taken, the probe is gone, nothing made for the user.
  EXPECT_EQ(ChooseDataFolder(exe, user, "TARNVEX", "Braceform"), exe + "/");
  EXPECT_FALSE(QFile::exists(exe + "/chk.tmp"));
  EXPECT_FALSE(QDir(user + "/TARNVEX").exists());

  // A leftover probe file makes the test fail: the per-user folder is created and taken.
  QFile leftover(exe + "/chk.tmp");
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.close();
  EXPECT_EQ(ChooseDataFolder(exe, user, "TARNVEX", "Braceform"), user + "/TARNVEX/Braceform/");
  EXPECT_TRUE(QDir(user + "/TARNVEX/Braceform").exists());
  EXPECT_TRUE(QFile::exists(exe + "/chk.tmp"));  // not ours to delete
  // Existing folders are fine the second time.
  EXPECT_EQ(ChooseDataFolder(exe, user, "TARNVEX", "Braceform"), user + "/TARNVEX/Braceform/");

  // A missing executable folder is not writable either.
  EXPECT_EQ(ChooseDataFolder(root.filePath("gone"), user, "TARNVEX", "Braceform"),
            user + "/TARNVEX/Braceform/");
}

TEST(StartUp, SettingsFile) {
  QTemporaryDir root;
  struct Case {
    const char* name;
    std::string bytes;
    bool kept;
  } cases[] = {
      {"valid", "[Settings]\nKey=Wert \xC3\xA4\n", true},
      {"not UTF-8", "[Settings]\nKey=\xE4\xFF\n", false},
      {"truncated sequence", "[S]\nK=\xC3", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = root.filePath("settings.ini");
    WriteBytes(path, c.bytes);
    auto store = OpenSettingsStore(path);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(QFile::exists(path), c.kept);
    store.reset();  // never written back
    if (c.kept) {
      EXPECT_EQ(ReadBytes(path), c.bytes);
    } else {
      EXPECT_FALSE(QFile::exists(path));
    }
  }
  // No file at all, or a folder that does not exist: an empty store.
  EXPECT_TRUE(OpenSettingsStore(root.filePath("none/settings.ini"))->allKeys().isEmpty());
}

TEST_F(WindowTest, WindowUsesDataFolderAndStartsEmpty) {
  EXPECT_TRUE(form_->dataFolder().endsWith('/'));
  EXPECT_TRUE(QDir(form_->dataFolder()).exists());
  EXPECT_TRUE(editor()->isEnabled());
  EXPECT_EQ(editor()->Text(), "");
  EXPECT_TRUE(form_->documentLines().Empty());
  EXPECT_NE(editor()->lexer(), nullptr);  // JSON colouring on
  EXPECT_EQ(form_->StatusText(), "");
  // Top bar order and sizes.
  QStringList order;
  for (const char* name : {"ButtonLoad", "ButtonSave", "ButtonHuman", "ButtonCompact"}) {
    auto* button = form_->findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->size(), QSize(150, 35)) << name;
    EXPECT_FALSE(button->icon().isNull()) << name;
    order << button->text();
  }
  EXPECT_EQ(order,
            (QStringList{"Load JSON File...", "Save JSON File...", "Human Readable", "Compact"}));
  for (const char* name : {"Button3", "Button1", "Button2"})
    EXPECT_EQ(form_->findChild<QPushButton*>(name)->size(), QSize(150, 34)) << name;
}

}  // namespace
}  // namespace braceform::testing
