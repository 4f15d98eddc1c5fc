#include "gui/dialog_windows.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <functional>

#include "gui/qt_text.h"
#include "gui/strip_widget.h"
#include "util/dialogs.h"

namespace gui {
namespace {

// A button whose key presses go to a handler first; keys it does not take go on to the window.
class KeyButton : public QPushButton {
  public:
    KeyButton(const QString& text, QWidget* parent, std::function<bool(int)> onKey)
        : QPushButton(text, parent), onKey_(std::move(onKey)) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (onKey_ && onKey_(event->key())) return event->accept();
        QPushButton::keyPressEvent(event);
    }

  private:
    std::function<bool(int)> onKey_;
};

void Centre(QWidget& window) {
    const QScreen* screen =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    window.move(area.width() / 2 - window.width() / 2, area.height() / 2 - window.height() / 2);
}

QLabel* PanelLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setMinimumHeight(40);
    return label;
}

}  // namespace

int KeyCodeOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Pause:
            return util::KeyCode::kPause;
        case Qt::Key_Escape:
            return util::KeyCode::kEscape;
        case Qt::Key_Home:
            return util::KeyCode::kHome;
        default:
            return 0;
    }
}

SpinnerWidget::SpinnerWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("Gif89a1");
    setFixedSize(36, 36);
    clock_.start();
}

void SpinnerWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const int spokes = 12;
    const int lead = static_cast<int>(clock_.elapsed() / 80) % spokes;
    for (int i = 0; i < spokes; ++i) {
        const int age = (lead - i + spokes) % spokes;
        QColor colour = palette().color(QPalette::Highlight);
        colour.setAlphaF(1.0f - static_cast<float>(age) / spokes);
        painter.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(360.0 * i / spokes);
        painter.drawLine(QPointF(0, -8), QPointF(0, -15));
        painter.restore();
    }
}

MessageWindowView::MessageWindowView(util::Dialogs& dialogs)
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      dialogs_(dialogs) {
    setObjectName("frmMsg");
    auto* layout = new QHBoxLayout(this);
    gif_ = new SpinnerWidget(this);
    panMsg_ = PanelLabel(this, "panMsg");
    cancel_ = new QPushButton("취소", this);
    cancel_->setObjectName("cmd취소");
    cancel_->setFlat(true);
    layout->addWidget(gif_);
    layout->addWidget(panMsg_, 1);
    layout->addWidget(cancel_);
    resize(Px(5400), Px(1000));
    QObject::connect(cancel_, &QPushButton::clicked, [this] {
        if (util::frmMsg* model = dialogs_.LoadedMessageWindow()) model->cmd취소_Click();
    });
}

void MessageWindowView::Refresh() {
    const util::frmMsg* model = dialogs_.LoadedMessageWindow();
    if (model == nullptr) return;
    panMsg_->setText(Q(model->panMsg));
    cancel_->setVisible(model->cmd취소Visible);
    gif_->update();
}

void MessageWindowView::keyPressEvent(QKeyEvent* event) {
    if (util::frmMsg* model = dialogs_.LoadedMessageWindow())
        model->KeyDown(KeyCodeOf(event->key()));
    QWidget::keyPressEvent(event);
}

void MessageWindowView::showEvent(QShowEvent* event) {
    // Activation: the desktop helper's operation, when the window can be cancelled.
    if (const util::frmMsg* model = dialogs_.LoadedMessageWindow();
        model && model->cmd취소Visible) {
        WD투명하게(*this);
    }
    QWidget::showEvent(event);
}

ProgressWindowView::ProgressWindowView(util::Dialogs& dialogs)
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      dialogs_(dialogs) {
    setObjectName("frm02Msg");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    auto* top = new QHBoxLayout();
    gif_ = new SpinnerWidget(this);
    panMsg_ = PanelLabel(this, "panMsg");
    top->addWidget(gif_);
    top->addWidget(panMsg_, 1);
    layout->addLayout(top);
    strip_ = new StripWidget(this);
    strip_->setObjectName("PbSub");
    layout->addWidget(strip_);
    auto* bottom = new QHBoxLayout();
    extra_ = new QLabel(this);
    extra_->setObjectName("lab추가설명");
    cancel_ = new KeyButton("취소", this, [this](int key) {
        const int code = KeyCodeOf(key);
        if (code != util::KeyCode::kEscape && code != util::KeyCode::kHome) return false;
        if (util::frm02Msg* model = dialogs_.LoadedProgressWindow()) model->cmd취소_KeyDown(code);
        return true;
    });
    cancel_->setObjectName("cmd취소");
    bottom->addWidget(extra_, 1);
    bottom->addWidget(cancel_);
    layout->addLayout(bottom);
    resize(Px(6600), Px(1900));
    QObject::connect(cancel_, &QPushButton::clicked, [this] {
        if (util::frm02Msg* model = dialogs_.LoadedProgressWindow()) model->cmd취소_Click();
    });
}

void ProgressWindowView::Load() {
    Centre(*this);
    WD모서리둥글게(*this);
}

void ProgressWindowView::Refresh() {
    const util::frm02Msg* model = dialogs_.LoadedProgressWindow();
    if (model == nullptr) return;
    panMsg_->setText(Q(model->panMsg));
    strip_->setVisible(model->PbSubVisible);
    strip_->SetStrip(model->PbSub);
    extra_->setText(Q(model->lab추가설명));
    cancel_->setVisible(model->cmd취소Visible);
    gif_->update();
}

void ProgressWindowView::keyPressEvent(QKeyEvent* event) {
    if (util::frm02Msg* model = dialogs_.LoadedProgressWindow()) {
        model->KeyDown(KeyCodeOf(event->key()));
    }
    QWidget::keyPressEvent(event);
}

DialogViews::DialogViews(util::Dialogs& dialogs) : dialogs_(dialogs) {}

DialogViews::~DialogViews() = default;

void DialogViews::Sync() {
    const util::frmMsg* message = dialogs_.LoadedMessageWindow();
    if (message != messageModel_) {
        message_.reset();  // unloaded, or loaded anew
        messageModel_ = message;
        if (message != nullptr) message_ = std::make_unique<MessageWindowView>(dialogs_);
    }
    if (message_) {
        message_->Refresh();
        if (message->Shown() && !message_->isVisible()) {
            message_->show();
            message_->raise();
        }
    }
    const util::frm02Msg* progress = dialogs_.LoadedProgressWindow();
    if (progress != progressModel_) {
        progress_.reset();
        progressModel_ = progress;
        if (progress != nullptr) {
            progress_ = std::make_unique<ProgressWindowView>(dialogs_);
            progress_->Load();
        }
    }
    if (progress_) {
        progress_->Refresh();
        if (progress->Shown() && !progress_->isVisible()) {
            progress_->show();
            progress_->raise();
            progress_->activateWindow();
        }
    }
}

}  // namespace gui
