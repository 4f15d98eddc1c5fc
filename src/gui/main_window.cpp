#include "gui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <exception>
#include <functional>
#include <iostream>
#include <string>

#include "app/frm_db_patch_main.h"
#include "app/process.h"
#include "db/error.h"
#include "gui/qt_text.h"
#include "host/desktop.h"

namespace gui {
namespace {

using Control = util::frmDBPatchMainModel::Control;

// The box of a click whose work ended by an error that nothing below reported.
constexpr const char* kUnexpectedErrorText = "작업이 예기치 않은 오류로 중단되었습니다.\r\n\r\n";
constexpr int kWidth = 640;

// A label that reports clicks (the picture that reveals the maintenance buttons).
class ClickLabel : public QLabel {
  public:
    ClickLabel(QWidget* parent, std::function<void()> onClick)
        : QLabel(parent), onClick_(std::move(onClick)) {}

  protected:
    void mousePressEvent(QMouseEvent*) override {
        if (onClick_) onClick_();
    }

  private:
    std::function<void()> onClick_;
};

// The first image of the image list: a check mark.
QPixmap CheckMark() {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1e, 0x8c, 0x3a), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(3.5, 10.5), QPointF(8, 15), QPointF(16.5, 4.5)}));
    return pixmap;
}

// The window's picture: a database drum with an arrow of renewal.
QPixmap DatabasePicture() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(6, 0, 36, 0);
    body.setColorAt(0, QColor(0x2f, 0x6f, 0xb5));
    body.setColorAt(1, QColor(0x7f, 0xb4, 0xe8));
    p.setPen(QPen(QColor(0x1d, 0x4a, 0x7c), 1.2));
    p.setBrush(body);
    QPainterPath drum;
    drum.moveTo(6, 10);
    drum.lineTo(6, 36);
    drum.arcTo(QRectF(6, 30, 30, 12), 180, 180);
    drum.lineTo(36, 10);
    drum.closeSubpath();
    p.drawPath(drum);
    p.setBrush(QColor(0xbf, 0xdc, 0xf7));
    p.drawEllipse(QRectF(6, 4, 30, 12));
    p.setPen(QPen(QColor(0x1d, 0x4a, 0x7c), 1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 16, 30, 12), 180 * 16, 180 * 16);
    p.drawArc(QRectF(6, 24, 30, 12), 180 * 16, 180 * 16);
    p.setPen(QPen(QColor(0xe0, 0x8a, 0x12), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(26, 26, 18, 18), 60 * 16, 270 * 16);
    p.setBrush(QColor(0xe0, 0x8a, 0x12));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(36, 22), QPointF(44, 26), QPointF(36, 31)}));
    return pixmap;
}

QFrame* Frame(QWidget* parent, const char* name, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

QLabel* Label(QWidget* parent, const char* name, const QRect& geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QProgressBar* Bar(QWidget* parent, const char* name, const QRect& geometry) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setGeometry(geometry);
    bar->setTextVisible(false);
    return bar;
}

QLabel* CheckBoxPicture(QWidget* parent, const char* name, const QRect& geometry) {
    QLabel* label = Label(parent, name, geometry);
    label->setFrameShape(QFrame::Box);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void SyncList(QListWidget& widget, const util::ListBoxModel& list) {
    const int have = widget.count();
    const int want = static_cast<int>(list.lines.size());
    if (have > want) widget.clear();
    for (int i = widget.count(); i < want; ++i) {
        widget.addItem(Q(list.lines[static_cast<std::size_t>(i)]));
    }
    if (list.listIndex >= 0 && list.listIndex < want) {
        widget.setCurrentRow(list.listIndex);
        widget.scrollToItem(widget.item(list.listIndex));
    }
}

void SyncBar(QProgressBar& bar, const util::ProgressBarModel& model) {
    bar.setRange(model.min, std::max(model.min, model.max));
    bar.setValue(std::clamp(model.value, model.min, std::max(model.min, model.max)));
}

}  // namespace

MainWindowView::MainWindowView(app::Process& process, app::frmDBPatchMain& form)
    : QWidget(nullptr),
      process_(process),
      form_(&form),
      model_(process.MainWindow()),
      alive_(std::make_shared<bool>(true)) {
    setObjectName("frmDBPatchMain");
    BuildControls();
    std::weak_ptr<bool> alive = alive_;
    model_.Observe([this, alive](Control control) {
        if (alive.lock()) Refresh(control);
    });
    RefreshAll();
}

MainWindowView::~MainWindowView() {
    alive_.reset();
}

void MainWindowView::BuildControls() {
    // Picture1: the head with the picture, the version and the maker.
    QFrame* head = Frame(this, "Picture1", QRect(0, 0, kWidth, 62));
    head->setStyleSheet(
        "#Picture1 { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
        "stop:0 #1d3f6e, stop:1 #3b78b8); border: none; }"
        "#Picture1 QLabel { color: white; }");
    auto* image = new ClickLabel(head, [this] { Click(&app::frmDBPatchMain::Image1_Click); });
    image->setObjectName("Image1");
    image->setGeometry(10, 7, 48, 48);
    image->setPixmap(DatabasePicture());
    image->setCursor(Qt::PointingHandCursor);
    labels_[2] = Label(head, "Label4", QRect(68, 8, 560, 26));
    QFont big = labels_[2]->font();
    big.setPointSizeF(big.pointSizeF() * 1.45);
    big.setBold(true);
    labels_[2]->setFont(big);
    labels_[3] = Label(head, "Label5", QRect(68, 36, 560, 18));

    // Picture2: the databases to patch and the message list.
    QFrame* left = Frame(this, "Picture2", QRect(8, 68, 232, 274));
    label8_[1] = Label(left, "Label8_1", QRect(8, 6, 216, 18));
    chk매장_ = new QCheckBox(left);
    chk매장_->setObjectName("chk매장");
    chk매장_->setGeometry(16, 28, 160, 22);
    chk매장_->setText("매장DataBase");
    chk보안_ = new QCheckBox(left);
    chk보안_->setObjectName("chk보안");
    chk보안_->setGeometry(16, 52, 160, 22);
    chk보안_->setText("서버DataBase");
    picChk_[0] = CheckBoxPicture(left, "picChk1", QRect(192, 28, 24, 22));
    picChk_[1] = CheckBoxPicture(left, "picChk2", QRect(192, 52, 24, 22));
    picChk_[2] = CheckBoxPicture(left, "picChk3", QRect(192, 76, 24, 22));
    picChk_[2]->setFrameShape(QFrame::NoFrame);
    lab패치디비_ = Label(left, "lab패치디비", QRect(16, 80, 170, 20));
    lab패치디비_->setStyleSheet("color: #b22222; font-weight: bold;");
    label8_[0] = Label(left, "Label8_0", QRect(8, 110, 216, 18));
    lv메세지_ = new QListWidget(left);
    lv메세지_->setObjectName("lv메세지");
    lv메세지_->setGeometry(8, 130, 216, 136);

    // Picture3: the run list and the bars.
    QFrame* right = Frame(this, "Picture3", QRect(248, 68, 384, 274));
    labels_[1] = Label(right, "Label3", QRect(8, 6, 368, 18));
    labels_[4] = Label(right, "Label6", QRect(8, 26, 368, 18));
    List1_ = new QListWidget(right);
    List1_->setObjectName("List1");
    List1_->setGeometry(8, 46, 368, 172);
    QFrame* bars = Frame(right, "Picture5", QRect(8, 222, 368, 46));
    bars->setFrameShape(QFrame::NoFrame);
    pg1_ = Bar(bars, "pg1", QRect(0, 2, 368, 20));
    PB2_ = Bar(bars, "PB2", QRect(0, 26, 368, 14));
    for (QLabel* l : {label8_[0], label8_[1], labels_[1], labels_[4]}) {
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
    }

    // Picture4: the record folder and the two buttons.
    QFrame* foot = Frame(this, "Picture4", QRect(8, 348, 624, 40));
    labels_[0] = Label(foot, "Label2", QRect(8, 10, 370, 20));
    labels_[0]->setStyleSheet("color: #404040;");
    auto* text = new QLineEdit(foot);
    text->setObjectName("txtProgramPatch");
    text->setGeometry(380, 9, 10, 22);
    text->setVisible(false);
    cmdStart_ = Button(foot, "cmdStart", QString(), QRect(384, 5, 152, 30));
    cmd종료_ = Button(foot, "cmd종료", "종료", QRect(542, 5, 76, 30));

    // Picture6: the maintenance buttons, below the normal height of the window.
    QFrame* tools = Frame(this, "Picture6",
                          QRect(8, Px(util::frmDBPatchMainModel::kNormalHeight) + 4, 624, 36));
    const struct {
        const char* name;
        const char* caption;
        void (app::frmDBPatchMain::*handler)();
    } maintenance[] = {
        {"cmd상품위치", "상품위치재정리", &app::frmDBPatchMain::cmd상품위치_Click},
        {"cmd조제약정리명", "조제약 정리명", &app::frmDBPatchMain::cmd조제약정리명_Click},
        {"cmdTessel", "분류길이패치", &app::frmDBPatchMain::cmdTessel_Click},
        {"cmdUserTessel", "사용자분류 설정", &app::frmDBPatchMain::cmdUserTessel_Click},
        {"cmdTslRun", "Tessel.exe Run", &app::frmDBPatchMain::cmdTslRun_Click},
    };
    int x = 4;
    for (const auto& m : maintenance) {
        QPushButton* b = Button(tools, m.name, Q(m.caption), QRect(x, 4, 119, 28));
        const auto handler = m.handler;
        QObject::connect(b, &QPushButton::clicked, [this, handler] { Click(handler); });
        x += 123;
    }

    QObject::connect(cmdStart_, &QPushButton::clicked,
                     [this] { Click(&app::frmDBPatchMain::cmdStart_Click); });
    QObject::connect(cmd종료_, &QPushButton::clicked,
                     [this] { Click(&app::frmDBPatchMain::cmd종료_Click); });
    QObject::connect(chk매장_, &QCheckBox::toggled, [this](bool on) { model_.chk매장 = on; });
    QObject::connect(chk보안_, &QCheckBox::toggled, [this](bool on) { model_.chk보안 = on; });
}

void MainWindowView::Click(void (app::frmDBPatchMain::*handler)()) {
    if (form_ == nullptr) return;
    ++busy_;
    // An exception must not leave through Qt's event loop: the work it ended is reported and
    // the window stays usable.
    std::string failure;
    try {
        (form_->*handler)();
    } catch (const db::DbError& e) {
        failure = db::HexNumber(e.Number()) + " " + e.Description();
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "unknown error";
    }
    if (!failure.empty()) {
        std::cerr << "datapatch-gui: the work ended by an unexpected error: " << failure << "\n";
        process_.Desktop().MessageBox(std::string(kUnexpectedErrorText) + failure, "오류",
                                      host::MsgIcon::Critical, host::MsgButtons::Ok);
    }
    --busy_;
    if (closeRequested_ && busy_ == 0) Unload();
}

void MainWindowView::Refresh(Control control) {
    switch (control) {
        case Control::List1:
            SyncList(*List1_, model_.List1);
            break;
        case Control::lv메세지:
            SyncList(*lv메세지_, model_.lv메세지);
            break;
        case Control::pg1:
            SyncBar(*pg1_, model_.pg1);
            break;
        case Control::PB2:
            SyncBar(*PB2_, model_.PB2);
            break;
        default:
            RefreshAll();
            break;
    }
}

void MainWindowView::RefreshAll() {
    setWindowTitle(Q(model_.Caption));
    labels_[0]->setText(Q(model_.Label2));
    labels_[1]->setText(Q(model_.Label3));
    labels_[2]->setText(Q(model_.Label4));
    labels_[3]->setText(Q(model_.Label5));
    labels_[4]->setText(Q(model_.Label6));
    label8_[0]->setText(Q(model_.Label8[0]));
    label8_[1]->setText(Q(model_.Label8[1]));
    lab패치디비_->setText(Q(model_.lab패치디비));
    cmdStart_->setText(Q(model_.cmdStartCaption));
    {
        const QSignalBlocker a(chk매장_);
        const QSignalBlocker b(chk보안_);
        chk매장_->setChecked(model_.chk매장);
        chk보안_->setChecked(model_.chk보안);
    }
    static const QPixmap mark = CheckMark();
    for (int i = 0; i < 3; ++i) picChk_[i]->setPixmap(model_.picChk[i] ? mark : QPixmap());
    cmd종료_->setEnabled(model_.cmd종료Enabled);
    SyncList(*List1_, model_.List1);
    SyncList(*lv메세지_, model_.lv메세지);
    SyncBar(*pg1_, model_.pg1);
    SyncBar(*PB2_, model_.PB2);
    setFixedSize(kWidth, Px(model_.Height));
}

// Closing during a run asks first: a run that went on without its window and later showed a
// lone message box would be worse than either ending it after the current step or going on.
void MainWindowView::closeEvent(QCloseEvent* event) {
    if (busy_ == 0) {
        event->accept();
        Unload();
        return;
    }
    event->ignore();  // the window stays until the work returns
    if (closeRequested_) return;
    const host::MsgAnswer answer = process_.Desktop().MessageBox(
        app::kCloseDuringRunText, "", host::MsgIcon::Question, host::MsgButtons::YesNo);
    if (answer != host::MsgAnswer::Yes || unloaded_) return;
    closeRequested_ = true;  // unloaded when the work returns
    if (form_ != nullptr) form_->RequestStop();
}

void MainWindowView::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    hide();
    form_ = nullptr;
    process_.UnloadMainWindow();
    QApplication::exit(0);
}

}  // namespace gui
