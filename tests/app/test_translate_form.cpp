// The language dialog and the language of the window's start.
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>

#include "app_test_util.h"
#include "dialogs/translate_form.h"
#include "i18n/translate.h"

namespace braceform::testing {
namespace {

// The language variables of one test, put back afterwards.
class ScopedUiLanguage {
 public:
  explicit ScopedUiLanguage(const char* language) {
    for (const char* n : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* v = std::getenv(n);
      saved_.emplace_back(n, v ? std::optional<std::string>(v) : std::nullopt);
      ::unsetenv(n);
    }
    ::setenv("LANGUAGE", language, 1);
  }
  ~ScopedUiLanguage() {
    for (auto& [n, v] : saved_) {
      if (v)
        ::setenv(n, v->c_str(), 1);
      else
        ::unsetenv(n);
    }
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

class LanguageDialogTest : public WindowTest {
 protected:
  void TearDown() override {
    WindowTest::TearDown();
    LoadInterfaceLanguage("/nonexistent");
  }

  // A program folder with these language files, and a window started from it.
  void StartWith(const std::vector<std::pair<QString, std::string>>& files,
                 const QString& storedChoice = {}) {
    QDir(dir_.path()).mkpath(QStringLiteral("bin/Languages"));
    for (const auto& [name, bytes] : files) WriteBytes(Path("bin/Languages/" + name), bytes);
    form_.reset();
    ui_ = std::make_shared<FakeUi>();
    context_ = std::make_unique<AppContext>(MakeTestContext(dir_.path(), ui_));
    context_->exePath = Path(QStringLiteral("bin/braceform"));
    context_->restart = [this] {
      ++restarts_;
      if (restartFails_) throw std::runtime_error("The program could not be started again.");
    };
    if (!storedChoice.isEmpty())
      context_->settings->SetValue(QStringLiteral("Language"), storedChoice);
    form_ = std::make_unique<AppForm>(*context_, QStringList{QStringLiteral("braceform")});
    form_->timerParam()->stop();
  }

  std::unique_ptr<TranslateForm> OpenDialog() {
    return std::make_unique<TranslateForm>(
        *context_, [this](const QString& name) { form_->SetLanguageFile(name); });
  }

  static QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }

  int restarts_ = 0;
  bool restartFails_ = false;
};

const std::pair<QString, std::string> kGerman{
    "German.lang.txt",
    "{INFO:Translated By} Anna Schmidt ,Ben,  Carla \r\n{Language}Sprache\r\n"
    "{Restart Application?}Neu starten?\r\n{Yes}Ja\r\n{No}Nein\r\n"};
const std::pair<QString, std::string> kFrench{"French.lang.txt",
                                              "{INFO:Translated By}Claire\n{OK}D'accord\n"};
const std::pair<QString, std::string> kKlingon{"Klingon.lang.txt", "{OK}luq\n"};
const std::pair<QString, std::string> kCodes{"LanguageCodes.csv",
                                             "1031,German.lang.txt\n1036,French.lang.txt\n"};

TEST_F(LanguageDialogTest, WithoutLanguagesOnlyEnglishAndOkCloses) {
  ScopedUiLanguage de("de_DE");
  auto dialog = OpenDialog();
  EXPECT_EQ(Items(dialog->comboBox()), QStringList{"English"});
  EXPECT_EQ(dialog->translators()->toPlainText(), "Tarnvex");
  EXPECT_EQ(dialog->windowTitle(), "Language");
  EXPECT_EQ(dialog->size(), QSize(622, 227));
  dialog->okButton()->click();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(ui_->boxes.empty());
  EXPECT_EQ(restarts_, 0);
}

TEST_F(LanguageDialogTest, ListsLanguagesSortedWithTheLoadedOneAndItsTranslators) {
  ScopedUiLanguage de("de_DE.UTF-8");
  StartWith({kGerman, kFrench, kKlingon, kCodes});
  auto dialog = OpenDialog();
  EXPECT_EQ(dialog->windowTitle(), "Sprache");
  EXPECT_EQ(Items(dialog->comboBox()), (QStringList{"English", "French", "German", "Klingon"}));
  EXPECT_EQ(dialog->comboBox()->currentText(), "German");
  EXPECT_EQ(dialog->translators()->toPlainText(), "Anna Schmidt\nBen\nCarla");
  dialog->comboBox()->setCurrentText(QStringLiteral("Klingon"));
  EXPECT_EQ(dialog->translators()->toPlainText(), "INFO:Translated By");
  dialog->comboBox()->setCurrentText(QStringLiteral("English"));
  EXPECT_EQ(dialog->translators()->toPlainText(), "Tarnvex");

  const QImage neutral = LanguageFlag(QStringLiteral("Klingon")).pixmap(16, 16).toImage();
  EXPECT_EQ(neutral, LanguageFlag(QStringLiteral("german")).pixmap(16, 16).toImage());
  EXPECT_NE(neutral, LanguageFlag(QStringLiteral("German")).pixmap(16, 16).toImage());
  EXPECT_NE(LanguageFlag(QStringLiteral("German")).pixmap(16, 16).toImage(),
            LanguageFlag(QStringLiteral("French")).pixmap(16, 16).toImage());
}

TEST_F(LanguageDialogTest, UnchangedChoiceClosesWithoutQuestion) {
  ScopedUiLanguage de("de_DE");
  StartWith({kGerman, kFrench, kCodes});
  auto dialog = OpenDialog();
  dialog->comboBox()->setCurrentText(QStringLiteral("French"));
  dialog->comboBox()->setCurrentText(QStringLiteral("German"));
  dialog->okButton()->click();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(ui_->boxes.empty());
  EXPECT_FALSE(context_->settings->Value(QStringLiteral("Language")).isValid());
}

TEST_F(LanguageDialogTest, DecliningTheRestartKeepsTheDialogAndStoresNothing) {
  ScopedUiLanguage de("de_DE");
  StartWith({kGerman, kFrench, kCodes});
  auto dialog = OpenDialog();
  dialog->show();
  dialog->comboBox()->setCurrentText(QStringLiteral("French"));
  ui_->nextAnswer = 1;
  dialog->okButton()->click();
  ASSERT_EQ(ui_->boxes.size(), 1u);
  EXPECT_EQ(ui_->boxes[0].icon, QMessageBox::Question);
  EXPECT_EQ(ui_->boxes[0].caption, "Confirmation");
  EXPECT_EQ(ui_->boxes[0].text, "Neu starten?");
  EXPECT_EQ(ui_->boxes[0].buttons, (QStringList{"Ja", "Nein"}));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(restarts_, 0);
  EXPECT_FALSE(context_->settings->Value(QStringLiteral("Language")).isValid());
}

TEST_F(LanguageDialogTest, ConfirmedRestartStoresTheChoiceAndStartsAgain) {
  ScopedUiLanguage de("de_DE");
  StartWith({kGerman, kFrench, kCodes});
  auto dialog = OpenDialog();
  dialog->show();
  dialog->comboBox()->setCurrentText(QStringLiteral("English"));
  ui_->nextAnswer = 0;
  dialog->okButton()->click();
  EXPECT_EQ(context_->settings->Value(QStringLiteral("Language")).toString(), "English");
  EXPECT_EQ(restarts_, 1);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);

  // The next start shows the choice, not the language the mapping gives.
  StartWith({kGerman, kFrench, kCodes}, QStringLiteral("English"));
  EXPECT_EQ(LoadedLanguageFile(), "");
  EXPECT_EQ(LanguageFileList().size(), 2u);
  StartWith({kGerman, kFrench, kCodes}, QStringLiteral("French.lang.txt"));
  EXPECT_EQ(CurrentLanguageName(), "French");
  // A stored file that is gone leaves the choice to the mapping again.
  StartWith({kGerman, kCodes}, QStringLiteral("Gone.lang.txt"));
  EXPECT_EQ(CurrentLanguageName(), "German");
}

TEST_F(LanguageDialogTest, FailedRestartIsReportedAndTheProgramGoesOn) {
  ScopedUiLanguage de("de_DE");
  StartWith({kGerman, kFrench, kCodes});
  restartFails_ = true;
  auto dialog = OpenDialog();
  dialog->show();
  dialog->comboBox()->setCurrentText(QStringLiteral("French"));
  ui_->nextAnswer = 0;
  dialog->okButton()->click();
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].text, "The program could not be started again.");
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(LanguageDialogTest, EscapeClosesAndTheLinkOpensTheTranslationPage) {
  auto dialog = OpenDialog();
  dialog->show();
  QTest::keyClick(dialog->translators(), Qt::Key_Escape);
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(dialog->isVisible());
  auto* link = dialog->findChild<QLabel*>(QStringLiteral("Label3"));
  QTest::mouseClick(link, Qt::LeftButton);
  ASSERT_EQ(ui_->opened.size(), 1u);
  EXPECT_EQ(ui_->opened[0].toString(), SiteAddress() + "/translation/");
}

TEST_F(LanguageDialogTest, ShippedFilesTranslateTheFindMessageForAnAustrianUser) {
  ScopedUiLanguage at("de_AT.UTF-8");
  std::vector<std::pair<QString, std::string>> shipped;
  const QString folder = QStringLiteral(BRACEFORM_SOURCE_DIR "/data/Languages/");
  for (const QString& name : QDir(folder).entryList(QDir::Files)) {
    shipped.emplace_back(name, ReadBytes(folder + name));
  }
  StartWith(shipped);
  form_->FindDialog1Find(QStringLiteral("zzz"), false);
  ASSERT_EQ(ui_->boxes.size(), 1u);
  EXPECT_EQ(ui_->boxes[0].caption, "Suchen");
  EXPECT_EQ(ui_->boxes[0].text, "Text nicht gefunden!");
}

// Every text the window and its dialogs look up has an entry in every shipped language.
TEST(ShippedLanguages, TranslateEveryTextTheProgramLooksUp) {
  std::set<QString> wanted;
  const QRegularExpression lookup(
      QStringLiteral(R"re(\b(?:Translated|TranslateText|Text)\("([^"]+)"\))re"));
  QDirIterator sources(QStringLiteral(BRACEFORM_SOURCE_DIR "/src/app"), {"*.cpp"}, QDir::Files,
                       QDirIterator::Subdirectories);
  while (sources.hasNext()) {
    QFile f(sources.next());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    auto it = lookup.globalMatch(QString::fromUtf8(f.readAll()));
    while (it.hasNext()) wanted.insert(it.next().captured(1));
  }
  ASSERT_GT(wanted.size(), 10u);
  const QString folder = QStringLiteral(BRACEFORM_SOURCE_DIR "/data/Languages");
  const QStringList files = QDir(folder).entryList({"*.lang.txt"}, QDir::Files);
  ASSERT_EQ(files.size(), 4);
  for (const QString& file : files) {
    const auto lines = ReadLanguageFile((folder + "/" + file).toStdString());
    for (const QString& text : wanted) {
      std::string head(1, '{');
      head.append(text.toStdString()).push_back('}');
      const bool translated = std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.size() > head.size() && l.compare(0, head.size(), head) == 0;
      });
      EXPECT_TRUE(translated) << file.toStdString() << " lacks " << text.toStdString();
    }
  }
}

}  // namespace
}  // namespace braceform::testing
