#include "gui/help_form.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "util/error_trap.h"

namespace marvane {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 255, 0);

QFont HeadingFont() {
  QFont font("Arial");
  font.setPointSizeF(9.75);
  font.setBold(true);
  return font;
}

QFont TextFont() {
  QFont font("Arial");
  font.setPointSizeF(9);
  return font;
}

}  // namespace

QString HelpFileText(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

TopicTitle::TopicTitle(int index, QWidget* parent) : QLabel(parent), index_(index) {
  setObjectName(QString("TopicChosen%1").arg(index));
  setTextFormat(Qt::PlainText);
  setMouseTracking(true);
}

void TopicTitle::mouseMoveEvent(QMouseEvent* event) {
  QLabel::mouseMoveEvent(event);
  emit MouseMoved(index_);
}

void TopicTitle::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked(index_);
}

HelpForm::HelpForm(Ui& ui, std::string helpPath)
    : QWidget(nullptr, Qt::Window), ui_(ui), helpPath_(std::move(helpPath)), help_(ParseHelpText("")) {
  setObjectName("Help");
  setWindowTitle(kHelpCaption);
  setAttribute(Qt::WA_DeleteOnClose);

  HelpTopicsLabel = new QLabel("Help Topics", this);
  HelpTopicsLabel->setObjectName("HelpTopicsLabel");
  HelpTopicsLabel->setFont(HeadingFont());
  HelpTopicsLabel->setAlignment(Qt::AlignCenter);

  auto* column = new QVBoxLayout;
  column->setSpacing(0);
  column->addWidget(HelpTopicsLabel);
  column->addSpacing(6);
  for (int i = 1; i <= kHelpTopicLabels; ++i) {
    auto* title = new TopicTitle(i, this);
    title->setText("Topic Chosen");
    title->setFont(TextFont());
    // One below the other, 16 pixels apart.
    title->setFixedHeight(16);
    title->setMinimumWidth(170);
    connect(title, &TopicTitle::Clicked, this, &HelpForm::TopicChosen_Click);
    connect(title, &TopicTitle::MouseMoved, this, &HelpForm::TopicChosen_MouseMove);
    TopicChosen[i] = title;
    column->addWidget(title);
  }
  column->addStretch(1);

  auto* line = new QFrame(this);
  line->setObjectName("Line1");
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Plain);

  TopicLabel = new QLabel("Topic Label", this);
  TopicLabel->setObjectName("TopicLabel");
  TopicLabel->setTextFormat(Qt::PlainText);
  TopicLabel->setFont(HeadingFont());
  TopicLabel->setAlignment(Qt::AlignCenter);

  HelpTextLabel = new QLabel("Help Text");
  HelpTextLabel->setObjectName("HelpTextLabel");
  HelpTextLabel->setTextFormat(Qt::PlainText);
  HelpTextLabel->setFont(TextFont());
  HelpTextLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  HelpTextLabel->setWordWrap(true);
  HelpTextLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  HelpTextLabel->setContentsMargins(6, 6, 6, 6);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("HelpTextScroll");
  scroll->setWidgetResizable(true);
  scroll->setWidget(HelpTextLabel);

  CancelIt = new QPushButton("Close", this);
  CancelIt->setObjectName("CancelIt");
  connect(CancelIt, &QPushButton::clicked, this, &HelpForm::CancelIt_Click);

  auto* text = new QVBoxLayout;
  text->addWidget(TopicLabel);
  text->addWidget(scroll, 1);
  text->addWidget(CancelIt, 0, Qt::AlignRight);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(column);
  layout->addWidget(line);
  layout->addLayout(text, 1);
  resize(720, 520);

  ReadHelpFile();
}

void HelpForm::ReadHelpFile() {
  WithErrorTrap(ui_, "ReadHelpFile", [&] {
    CurrentTopic_ = 1;
    HoverTopic_ = 1;
    help_ = ReadHelpText(helpPath_);
    const int numTopics = help_.NumTopics();
    for (int i = 1; i <= numTopics; ++i) {
      if (i > kHelpTopicLabels) throw RunTimeError(TooManyTopicsText(numTopics));
      TopicChosen[i]->setText(HelpFileText(help_.Title(i)));
    }
    for (int i = numTopics + 1; i <= kHelpTopicLabels; ++i) TopicChosen[i]->setText(QString());
    ChooseTopic(1);
  });
}

void HelpForm::Mark(int index, bool bold, std::optional<bool> underline, const QColor& colour) {
  if (index < 1 || index > kHelpTopicLabels) return;
  TopicTitle* title = TopicChosen[index];
  QFont font = title->font();
  font.setBold(bold);
  if (underline) font.setUnderline(*underline);
  title->setFont(font);
  QPalette palette = title->palette();
  palette.setColor(QPalette::WindowText, colour);
  title->setPalette(palette);
}

void HelpForm::ChooseTopic(int topic) {
  // The hover mark goes, but the hover topic stays as it was.
  Mark(HoverTopic_, false, std::nullopt, kBlack);
  Mark(CurrentTopic_, false, false, kBlack);
  CurrentTopic_ = topic;
  Mark(CurrentTopic_, true, true, kBlue);
  TopicLabel->setText(HelpFileText(help_.Title(CurrentTopic_)));
  QString text = HelpFileText(help_.TopicText(CurrentTopic_));
  text.replace("\r\n", "\n");
  HelpTextLabel->setText(text);
}

void HelpForm::TopicChosen_Click(int index) {
  if (index <= help_.NumTopics()) ChooseTopic(index);
}

void HelpForm::TopicChosen_MouseMove(int index) {
  if (index > help_.NumTopics()) return;
  if (CurrentTopic_ != HoverTopic_) {
    Mark(HoverTopic_, false, std::nullopt, kBlack);
    HoverTopic_ = CurrentTopic_;
  }
  if (index != CurrentTopic_) {
    HoverTopic_ = index;
    Mark(index, true, std::nullopt, kGreen);
  }
}

void HelpForm::CancelIt_Click() { hide(); }

void HelpForm::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit Unloaded();
}

}  // namespace marvane
