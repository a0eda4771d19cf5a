#include "dialogs/translate_form.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <algorithm>
#include <string>
#include <vector>

#include "app_context.h"
#include "document/document_file.h"
#include "error_report.h"
#include "i18n/translate.h"
#include "ui_helpers.h"
#include "version_info.h"

namespace braceform {

namespace {

constexpr int kFlagSize = 16;

const char* FlagImageName(const QString& text) {
  static const std::pair<const char*, const char*> kFlags[] = {
      {"English", "english"},
      {"German", "de"},
      {"French", "fr"},
      {"Turkish", "tr"},
      {"Albanian", "al"},
      {"Arabic", "sa"},
      {"Bulgarian", "bg"},
      {"ChineseSimplified", "cn"},
      {"ChineseTraditional", "tw"},
      {"Czech", "cz"},
      {"Dutch", "nl"},
      {"Finnish", "fi"},
      {"Greek", "gr"},
      {"Hebrew", "il"},
      {"Hungarian", "hu"},
      {"Italian", "it"},
      {"Japanese", "jp"},
      {"Korean", "kr"},
      {"Persian", "ir"},
      {"Polish", "pl"},
      {"PortugueseBrazil", "br"},
      {"PortuguesePortugal", "pt"},
      {"Romanian", "ro"},
      {"Russian", "ru"},
      {"Slovenian", "si"},
      {"Spanish", "es"},
      {"Swedish", "se"},
      {"Ukrainian", "ua"},
      {"Vietnamese", "vi"},
      {"Slovak", "sk"},
      {"Abkhazian", "ab"},
      {"Norwegian", "no"},
      {"Catalan", "ca"},
  };
  for (const auto& [item, image] : kFlags) {
    if (text == QLatin1String(item)) return image;
  }
  return "xx";
}

// Draws each language with its flag at the item's top left and the text beside it.
class LanguageItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem plain = option;
    initStyleOption(&plain, index);
    plain.text.clear();
    plain.icon = QIcon();
    plain.widget->style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);
    ComboBox1DrawItem(painter, option, index.data().toString());
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width() + kFlagSize, 18);
  }

 private:
  static void ComboBox1DrawItem(QPainter* painter, const QStyleOptionViewItem& option,
                                const QString& text) {
    const QRect r = option.rect;
    LanguageFlag(text).paint(painter, QRect(r.topLeft(), QSize(kFlagSize, kFlagSize)));
    painter->setPen(option.palette.color(
        option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(r.adjusted(kFlagSize + 2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
  }
};

QLabel* PlacedLabel(QWidget* parent, const char* name, const QRect& geometry) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setFont(PixelFont("Tahoma", 16));
  return label;
}

}  // namespace

QIcon LanguageFlag(const QString& itemText) {
  EnsureResources();
  QPixmap picture(QStringLiteral(":/flags/%1.png").arg(QLatin1String(FlagImageName(itemText))));
  if (picture.isNull()) picture.load(QStringLiteral(":/flags/xx.png"));
  // The flags are wider than high; they sit in the middle of a square cell.
  QPixmap cell(kFlagSize, kFlagSize);
  cell.fill(Qt::transparent);
  QPainter painter(&cell);
  painter.drawPixmap((kFlagSize - picture.width()) / 2, (kFlagSize - picture.height()) / 2,
                     picture);
  painter.end();
  return QIcon(cell);
}

TranslateForm::TranslateForm(AppContext& context,
                             std::function<void(const QString&)> setLanguageFile, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      context_(context),
      setLanguageFile_(std::move(setLanguageFile)) {
  EnsureResources();
  setObjectName(QStringLiteral("TranslateForm"));
  setFixedSize(622, 227);
  label1_ = PlacedLabel(this, "Label1", QRect(8, 8, 245, 24));
  comboBox1_ = new QComboBox(this);
  comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
  comboBox1_->setGeometry(259, 6, 355, 26);
  comboBox1_->setEditable(false);
  comboBox1_->setFont(PixelFont("Tahoma", 13));
  comboBox1_->setIconSize(QSize(kFlagSize, kFlagSize));
  comboBox1_->setItemDelegate(new LanguageItemDelegate(comboBox1_));
  label2_ = PlacedLabel(this, "Label2", QRect(8, 38, 245, 24));
  richEdit1_ = new QPlainTextEdit(this);
  richEdit1_->setObjectName(QStringLiteral("RichEdit1"));
  richEdit1_->setGeometry(259, 36, 355, 151);
  richEdit1_->setReadOnly(true);
  richEdit1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  richEdit1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  richEdit1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  richEdit1_->setFont(PixelFont("Tahoma", 16));
  richEdit1_->setBackgroundRole(QPalette::Button);
  QPalette face = richEdit1_->palette();
  face.setColor(QPalette::Base, face.color(QPalette::Button));
  richEdit1_->setPalette(face);
  richEdit1_->setContextMenuPolicy(Qt::CustomContextMenu);

  auto* panel2 = new QFrame(this);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setGeometry(0, 187, 622, 1);
  panel2->setFrameShape(QFrame::HLine);
  panel2->setFrameShadow(QFrame::Sunken);
  auto* panel1 = new QWidget(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setGeometry(0, 188, 622, 39);
  label3_ = PlacedLabel(panel1, "Label3", QRect(8, 8, 300, 24));
  label3_->setCursor(Qt::PointingHandCursor);
  label3_->setToolTip(SiteAddress() + QStringLiteral("/translation/"));
  QFont link = label3_->font();
  link.setUnderline(true);
  label3_->setFont(link);
  QPalette blue = label3_->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  label3_->setPalette(blue);
  label3_->installEventFilter(this);
  button1_ = new QPushButton(panel1);
  button1_->setObjectName(QStringLiteral("Button1"));
  button1_->setGeometry(622 - 172 - 4, 3, 172, 33);
  button1_->setFont(PixelFont("Tahoma", 16));
  button1_->setIcon(QIcon(QStringLiteral(":/icons/tick_button.png")));
  button1_->setDefault(true);

  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
  QAction* copy1 = popupMenu1_->addAction(QIcon(QStringLiteral(":/icons/copy.png")), QString());
  copy1->setObjectName(QStringLiteral("Copy1"));
  QAction* selectAll1 = popupMenu1_->addAction(QString());
  selectAll1->setObjectName(QStringLiteral("SelectAll1"));

  connect(copy1, &QAction::triggered, this, &TranslateForm::Copy1Click);
  connect(selectAll1, &QAction::triggered, this, &TranslateForm::SelectAll1Click);
  connect(richEdit1_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popupMenu1_->popup(richEdit1_->mapToGlobal(at)); });
  connect(button1_, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
  for (QWidget* w : {static_cast<QWidget*>(comboBox1_), static_cast<QWidget*>(richEdit1_),
                     static_cast<QWidget*>(button1_)}) {
    w->installEventFilter(this);
  }

  FormCreate();
  connect(comboBox1_, &QComboBox::currentIndexChanged, this, &TranslateForm::ComboBox1Change);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TranslateForm::FormCreate() {
  setWindowTitle(Translated("Language"));
  label1_->setText(Translated("User Interface Language:"));
  label2_->setText(Translated("Translated by:"));
  button1_->setText(Translated("OK"));
  label3_->setText(Translated("Contribute to Translation"));
  popupMenu1_->findChild<QAction*>(QStringLiteral("Copy1"))->setText(Translated("Copy"));
  popupMenu1_->findChild<QAction*>(QStringLiteral("SelectAll1"))->setText(Translated("Select All"));

  // A sorted list, as the list control sorts itself: without regard to case.
  QStringList names{QStringLiteral("English")};
  for (const std::string& file : LanguageFileList()) {
    names << QString::fromStdString(LanguageNameOf(file));
  }
  std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  for (const QString& name : names) comboBox1_->addItem(LanguageFlag(name), name);
  const int current = comboBox1_->findText(QString::fromStdString(CurrentLanguageName()),
                                           Qt::MatchExactly | Qt::MatchCaseSensitive);
  const int english =
      comboBox1_->findText(QStringLiteral("English"), Qt::MatchExactly | Qt::MatchCaseSensitive);
  comboBox1_->setCurrentIndex(!CurrentLanguageName().empty() && current >= 0 ? current : english);
  ComboBox1Change();
  openedLanguageName_ = comboBox1_->currentText();
}

void TranslateForm::ComboBox1Change() {
  const QString name = comboBox1_->currentText();
  std::string translators;
  if (name == QLatin1String("English")) {
    translators = "Tarnvex";
  } else {
    try {
      translators =
          FindLanguageEntry("INFO:Translated By",
                            ReadLanguageFile(LanguagesFolder() + "/" +
                                             QFile::encodeName(name).toStdString() + ".lang.txt"));
    } catch (const FileError&) {
      translators.clear();  // browsing: an unreadable file just shows no one
    }
  }
  QStringList lines;
  for (const QString& piece : QString::fromStdString(translators).split(QLatin1Char(','))) {
    lines << piece.trimmed();
  }
  richEdit1_->setPlainText(translators.empty() ? QString() : lines.join(QLatin1Char('\n')));
}

void TranslateForm::Button1Click() {
  const QString name = comboBox1_->currentText();
  if (name == openedLanguageName_) {
    accept();
    return;
  }
  const int answer = context_.ui->Ask(this, QMessageBox::Question, Translated("Confirmation"),
                                      Translated("Restart Application?"),
                                      {Translated("Yes"), Translated("No")}, 0);
  if (answer != 0) return;
  setLanguageFile_(name + QStringLiteral(".lang.txt"));
  ProcessPendingEventsOnce();
  if (!context_.restart) throw std::runtime_error("The program cannot be started again.");
  context_.restart();
  ProcessPendingEventsOnce();
  accept();
  QCoreApplication::quit();
}

void TranslateForm::Label3Click() {
  context_.ui->OpenUrl(QUrl(SiteAddress() + QStringLiteral("/translation/")));
}

void TranslateForm::Copy1Click() { richEdit1_->copy(); }

void TranslateForm::SelectAll1Click() { richEdit1_->selectAll(); }

bool TranslateForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == label3_ && event->type() == QEvent::MouseButtonRelease) {
    Label3Click();
    return true;
  }
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
      (watched == comboBox1_ || watched == richEdit1_ || watched == button1_)) {
    reject();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace braceform
