#pragma once
// The wait window frmMsg and the progress window frm02Msg on Qt. They draw the models of
// util::Dialogs, which the logic changes between its yields; Sync() brings them up to date (the
// desktop calls it before each yield). Keys and the cancel buttons go to the models' events.
#include <QElapsedTimer>
#include <QWidget>
#include <memory>

namespace util {
class Dialogs;
}

class QLabel;
class QPushButton;

namespace gui {

class StripWidget;

// The animated picture of both dialogs: a turning wheel, a step further at each repaint.
class SpinnerWidget : public QWidget {
  public:
    explicit SpinnerWidget(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QElapsedTimer clock_;
};

class MessageWindowView : public QWidget {
  public:
    explicit MessageWindowView(util::Dialogs& dialogs);
    void Refresh();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    util::Dialogs& dialogs_;
    QLabel* panMsg_;
    SpinnerWidget* gif_;
    QPushButton* cancel_;
};

class ProgressWindowView : public QWidget {
  public:
    explicit ProgressWindowView(util::Dialogs& dialogs);
    void Refresh();
    // Called once when the model has been loaded anew: centred on the screen, rounded.
    void Load();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    util::Dialogs& dialogs_;
    QLabel* panMsg_;
    StripWidget* strip_;
    QLabel* extra_;
    SpinnerWidget* gif_;
    QPushButton* cancel_;
};

// Keeps one Qt window for each loaded dialog model.
class DialogViews {
  public:
    explicit DialogViews(util::Dialogs& dialogs);
    ~DialogViews();
    void Sync();
    MessageWindowView* Message() { return message_.get(); }
    ProgressWindowView* Progress() { return progress_.get(); }

  private:
    util::Dialogs& dialogs_;
    std::unique_ptr<MessageWindowView> message_;
    std::unique_ptr<ProgressWindowView> progress_;
    const void* messageModel_ = nullptr;  // the model the window was made for
    const void* progressModel_ = nullptr;
};

// Key codes of the models for Qt keys (Pause 19, Escape 27, Home 36; 0 for the others).
int KeyCodeOf(int qtKey);

}  // namespace gui
