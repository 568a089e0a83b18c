#pragma once
// The help window "Tesk Help": the topic titles of "HelpTxt.txt" in a column on the
// left, the chosen topic's title and text on the right. The title under the mouse shows
// bold and green, the current topic's bold, underlined and blue.
#include <QLabel>
#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "console/help_file.h"

class QPushButton;

namespace marvane {

class Ui;

inline constexpr const char* kHelpCaption = "Tesk Help";

// A topic title in the column: it reports clicks and the mouse passing over it.
class TopicTitle : public QLabel {
  Q_OBJECT
 public:
  TopicTitle(int index, QWidget* parent);
  int Index() const { return index_; }

 signals:
  void Clicked(int index);
  void MouseMoved(int index);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int index_;
};

class HelpForm : public QWidget {
  Q_OBJECT
 public:
  // Loads the window: reads the help file at `helpPath` (Form_Load).
  HelpForm(Ui& ui, std::string helpPath);

  void ReadHelpFile();
  void ChooseTopic(int topic);
  void TopicChosen_Click(int index);
  void TopicChosen_MouseMove(int index);
  void CancelIt_Click();

  int CurrentTopic() const { return CurrentTopic_; }
  int HoverTopic() const { return HoverTopic_; }
  const HelpFile& Help() const { return help_; }

 signals:
  // Closed through the title bar: the window is unloaded (deleted), and the next
  // showing loads it and reads the file again.
  void Unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Sets a title's look; an underline of nullopt is left as it is.
  void Mark(int index, bool bold, std::optional<bool> underline, const QColor& colour);

  Ui& ui_;
  std::string helpPath_;
  HelpFile help_;
  int CurrentTopic_ = 0;
  int HoverTopic_ = 0;

  QLabel* HelpTopicsLabel;
  std::array<TopicTitle*, kHelpTopicLabels + 1> TopicChosen{};  // 1 to 26
  QLabel* TopicLabel;
  QLabel* HelpTextLabel;
  QPushButton* CancelIt;
};

// Help-file text for the screen: UTF-8 when it reads as UTF-8, else taken byte for byte
// as Latin-1, so that no file shows as garbage question marks.
QString HelpFileText(const std::string& bytes);

}  // namespace marvane
