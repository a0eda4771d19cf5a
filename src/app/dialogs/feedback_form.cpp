#include "dialogs/feedback_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app_context.h"
#include "online/feedback.h"
#include "online/post_form.h"
#include "ui_helpers.h"

namespace braceform {

namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

// The mark pictures: a thumb up or down, drawn so no file is needed.
QPixmap Thumb(bool up) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
  p.setBrush(up ? QColor(0x3c, 0xa0, 0x3c) : QColor(0xc8, 0x3c, 0x3c));
  if (!up) {
    p.translate(16, 16);
    p.rotate(180);
    p.translate(-16, -16);
  }
  p.drawRoundedRect(QRectF(4, 14, 6, 14), 1.5, 1.5);
  QPainterPath hand;
  hand.moveTo(12, 15);
  hand.lineTo(17, 4);
  hand.quadTo(21, 4, 20, 10);
  hand.lineTo(19, 13);
  hand.lineTo(26, 13);
  hand.quadTo(29, 14, 28, 18);
  hand.lineTo(26, 26);
  hand.quadTo(25, 28, 22, 28);
  hand.lineTo(12, 28);
  hand.closeSubpath();
  p.drawPath(hand);
  return pixmap;
}

}  // namespace

FeedbackForm::FeedbackForm(AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      context_(context) {
  EnsureResources();
  setObjectName(QStringLiteral("FeedbackForm"));
  setFixedSize(525, 326);
  setFont(PixelFont("Tahoma", 11));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* panel3 = new QWidget(this);
  panel3->setObjectName(QStringLiteral("Panel3"));
  panel3->setFixedHeight(46);
  auto* marks = new QHBoxLayout(panel3);
  marks->setContentsMargins(0, 0, 0, 0);
  marks->setSpacing(0);
  panel4_ = MarkPanel("Panel4", "up");
  panel5_ = MarkPanel("Panel5", "down");
  panel5_->setFixedWidth(256);
  marks->addWidget(panel4_, 1);
  marks->addWidget(panel5_);
  column->addWidget(panel3);

  label1_ = new QLabel(this);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setFont(PixelFont("Tahoma", 16));
  label1_->setContentsMargins(6, 4, 6, 2);
  column->addWidget(label1_);
  label2_ = new QLabel(this);
  label2_->setObjectName(QStringLiteral("Label2"));
  QFont bold = PixelFont("Tahoma", 13);
  bold.setBold(true);
  label2_->setFont(bold);
  label2_->setContentsMargins(6, 2, 6, 2);
  column->addWidget(label2_);
  memo1_ = new QPlainTextEdit(this);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setFont(PixelFont("Tahoma", 13));
  memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  connect(memo1_, &QPlainTextEdit::textChanged, this, [this] {
    // The memo's length limit: text pasted beyond it is cut.
    const QString text = memo1_->toPlainText();
    if (text.size() <= kMaxFeedback) return;
    QTextCursor cursor = memo1_->textCursor();
    memo1_->setPlainText(text.left(kMaxFeedback));
    cursor.setPosition(kMaxFeedback);
    memo1_->setTextCursor(cursor);
  });
  column->addWidget(memo1_, 1);

  auto* panel1 = new QWidget(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFixedHeight(30);
  auto* emailRow = new QHBoxLayout(panel1);
  emailRow->setContentsMargins(6, 3, 6, 3);
  label3_ = new QLabel(panel1);
  label3_->setObjectName(QStringLiteral("Label3"));
  emailRow->addWidget(label3_);
  edit1_ = new QLineEdit(panel1);
  edit1_->setObjectName(QStringLiteral("Edit1"));
  edit1_->setMaxLength(kMaxEmail);
  emailRow->addWidget(edit1_, 1);
  column->addWidget(panel1);

  auto* panel2 = new QWidget(this);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setFixedHeight(39);
  auto* buttonRow = new QHBoxLayout(panel2);
  buttonRow->setContentsMargins(3, 3, 3, 3);
  buttonRow->addStretch(1);
  bitBtn1_ = new QPushButton(panel2);
  bitBtn1_->setObjectName(QStringLiteral("BitBtn1"));
  bitBtn1_->setFixedSize(172, 33);
  bitBtn1_->setFont(PixelFont("Tahoma", 16));
  bitBtn1_->setIcon(Icon("mail-send", "feedback"));
  buttonRow->addWidget(bitBtn1_);
  column->addWidget(panel2);

  connect(bitBtn1_, &QPushButton::clicked, this, &FeedbackForm::BitBtn1Click);
  for (QWidget* w : {static_cast<QWidget*>(memo1_), static_cast<QWidget*>(edit1_),
                     static_cast<QWidget*>(bitBtn1_)}) {
    w->installEventFilter(this);
  }
  FormCreate();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

FeedbackForm::~FeedbackForm() { StopSending(); }

QFrame* FeedbackForm::MarkPanel(const char* name, const char* picture) {
  auto* panel = new QFrame(this);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setAutoFillBackground(true);
  panel->setCursor(Qt::PointingHandCursor);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(6, 2, 6, 2);
  auto* image = new QLabel(panel);
  image->setObjectName(QString::fromLatin1(name) + QStringLiteral("Image"));
  image->setPixmap(Thumb(QLatin1String(picture) == QLatin1String("up")));
  image->setFixedSize(32, 32);
  row->addWidget(image);
  auto* caption = new QLabel(panel);
  caption->setObjectName(QString::fromLatin1(name) + QStringLiteral("Caption"));
  caption->setFont(PixelFont("Tahoma", 16));
  row->addWidget(caption, 1);
  panel->installEventFilter(this);
  SetSelected(panel, false);
  return panel;
}

void FeedbackForm::FormCreate() {
  setWindowTitle(context_.identity.AppProductName + QLatin1Char(' ') + Translated("feedback"));
  label1_->setText(Translated("We would really appreciate your feedback."));
  label2_->setText(Translated("What did you like or dislike?"));
  label3_->setText(Translated("Include my e-mail:"));
  bitBtn1_->setText(Translated("Send"));
  panel4_->findChild<QLabel*>(QStringLiteral("Panel4Caption"))->setText(Translated("I like it!"));
  panel5_->findChild<QLabel*>(QStringLiteral("Panel5Caption"))
      ->setText(Translated("I dislike it!"));
}

// The colours are the mark's state, as the panels show it.
bool FeedbackForm::IsSelected(const QFrame* panel) {
  return panel->palette().color(QPalette::Window) ==
         QApplication::palette().color(QPalette::Highlight);
}

void FeedbackForm::SetSelected(QFrame* panel, bool selected) {
  const QPalette app = QApplication::palette();
  QPalette p = panel->palette();
  p.setColor(QPalette::Window, app.color(selected ? QPalette::Highlight : QPalette::Button));
  p.setColor(QPalette::WindowText,
             app.color(selected ? QPalette::HighlightedText : QPalette::WindowText));
  panel->setPalette(p);
  panel->setFrameStyle(QFrame::Panel | (selected ? QFrame::Sunken : QFrame::Raised));
}

void FeedbackForm::Image1MouseDown() {
  if (IsSelected(panel4_)) {
    SetSelected(panel4_, false);
    return;
  }
  SetSelected(panel4_, true);
  SetSelected(panel5_, false);
}

void FeedbackForm::Image2MouseDown() {
  if (IsSelected(panel5_)) {
    SetSelected(panel5_, false);
    return;
  }
  SetSelected(panel5_, true);
  SetSelected(panel4_, false);
}

void FeedbackForm::BitBtn1Click() {
  if (sending_) return;
  const std::string like =
      Utf8(panel4_->findChild<QLabel*>(QStringLiteral("Panel4Caption"))->text());
  const std::string dislike =
      Utf8(panel5_->findChild<QLabel*>(QStringLiteral("Panel5Caption"))->text());
  const std::string message = TrimControls(Utf8(memo1_->toPlainText()));
  const FeedbackMark mark = IsSelected(panel4_)   ? FeedbackMark::like
                            : IsSelected(panel5_) ? FeedbackMark::dislike
                                                  : FeedbackMark::none;
  const std::string feedback = ComposeFeedback(mark, like, dislike, message);
  if (message.empty()) {
    memo1_->setFocus();
    context_.ui->Beep();
    return;
  }
  const std::string address = TrimControls(Utf8(edit1_->text()));
  if (!address.empty() && !IsValidEmail(address)) {
    edit1_->setFocus();
    context_.ui->ShowMessage(this, QMessageBox::Critical, Translated("Failure"),
                             Translated("Invalid e-mail address!"));
    return;
  }

  // Sent on a thread of its own: the window keeps painting while the server is slow, and the
  // controls wait until the answer has been shown.
  const std::vector<std::string> fields = FeedbackFields(
      Utf8(context_.identity.AppTitle), Utf8(context_.identity.AppVersion), feedback, address);
  StopSending();
  sending_ = true;
  for (QWidget* w : findChildren<QWidget*>()) w->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  QPointer<FeedbackForm> self(this);
  sender_ = std::thread([self, fields, cancel = cancel_, endpoint = FeedbackEndpoint()] {
    std::string reply;
    try {
      reply = PostSecureFirst(endpoint, fields, kTimeoutMs, cancel.get());
    } catch (const HttpError&) {
      reply.clear();
    }
    if (cancel->load()) return;
    const bool delivered = FeedbackDelivered(reply);
    QMetaObject::invokeMethod(
        qApp,
        [self, delivered] {
          if (self) self->SendFinished(delivered);
        },
        Qt::QueuedConnection);
  });
}

void FeedbackForm::SendFinished(bool delivered) {
  if (sender_.joinable()) sender_.join();
  QApplication::restoreOverrideCursor();
  for (QWidget* w : findChildren<QWidget*>()) w->setEnabled(true);
  sending_ = false;
  if (delivered) {
    context_.ui->ShowMessage(this, QMessageBox::Information, Translated("Success"),
                             Translated("Your feedback is received.") + QStringLiteral("\n\n") +
                                 Translated("Thank you!"));
    emit sendFinished();
    accept();
    return;
  }
  context_.ui->ShowMessage(
      this, QMessageBox::Critical, Translated("Failure"),
      Translated("Something went wrong. Your feedback could not be delivered.") +
          QStringLiteral("\n\n") + Translated("Please try again later."));
  emit sendFinished();
}

void FeedbackForm::StopSending() {
  if (cancel_) cancel_->store(true);
  if (sender_.joinable()) sender_.join();
  if (sending_) {
    sending_ = false;
    QApplication::restoreOverrideCursor();
  }
}

void FeedbackForm::closeEvent(QCloseEvent* event) {
  StopSending();
  QDialog::closeEvent(event);
}

bool FeedbackForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !sending_) {
    if (watched == panel4_) {
      Image1MouseDown();
      return true;
    }
    if (watched == panel5_) {
      Image2MouseDown();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
      (watched == memo1_ || watched == edit1_ || watched == bitBtn1_)) {
    reject();
    return true;  // swallowed: no beep from the line edit
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace braceform
