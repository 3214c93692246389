#include "wizard/CustomWizard.h"

#include "project/CustomProperties.h"
#include "shell/Languages.h"
#include "util/Text.h"
#include "wizard/CommonWizardFrame.h"
#include "wizard/ErrorBox.h"
#include "wizard/Skin.h"
#include "wizard/WizardBox.h"
#include "wizard/WizardManager.h"
#include "xml/XmlNode.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kalido {

namespace {

QPointer<QWidget> &mainWindow()
{
    static QPointer<QWidget> window;
    return window;
}

// Client heights beyond this are taken as this: the page background is a bitmap of that size.
constexpr int MaxClientHeight = 4096;

} // namespace

QWidget *ApplicationMainWindow()
{
    return mainWindow();
}

void SetApplicationMainWindow(QWidget *window)
{
    mainWindow() = window;
}

TWizardTabItem::TWizardTabItem(TCustomWizard *wizard, QWidget *parent) : QWidget(parent), wizard_(wizard)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

TCustomWizard::TCustomWizard(QWidget *parent) : QDialog(parent)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);
    resize(560, 400);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    pnLeft_ = new QWidget(this);
    pnLeft_->setObjectName(QStringLiteral("pnLeft"));
    pnLeft_->setFixedWidth(149);
    auto *leftLayout = new QVBoxLayout(pnLeft_);
    leftLayout->setContentsMargins(2, 2, 0, 2);
    top->addWidget(pnLeft_);

    pg_ = new QTabWidget(this);
    pg_->setObjectName(QStringLiteral("pg"));
    pg_->tabBar()->hide();
    pg_->setDocumentMode(true);
    pg_->installEventFilter(this);
    top->addWidget(pg_, 1);
    main->addLayout(top, 1);

    pnBottom_ = new QWidget(this);
    pnBottom_->setObjectName(QStringLiteral("pnBottom"));
    pnBottom_->setFixedHeight(38);
    pnBottom_->setAutoFillBackground(true);
    auto *bottomColumn = new QVBoxLayout(pnBottom_);
    bottomColumn->setContentsMargins(0, 0, 0, 0);
    bottomColumn->setSpacing(0);
    bevel1_ = new QFrame(pnBottom_);
    bevel1_->setObjectName(QStringLiteral("Bevel1"));
    bevel1_->setFrameShape(QFrame::HLine);
    bevel1_->setFrameShadow(QFrame::Sunken);
    bevel1_->setFixedHeight(3);
    bottomColumn->addWidget(bevel1_);
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottomColumn->addLayout(bottom, 1);
    bottom->addStretch(1);
    pnButtons_ = new QWidget(pnBottom_);
    pnButtons_->setObjectName(QStringLiteral("pnButtons"));
    pnButtons_->setFixedSize(354, 35);
    bottom->addWidget(pnButtons_);
    main->addWidget(pnBottom_);

    auto makeButton = [this](const char *name, const QString &caption, int x) {
        auto *b = new QPushButton(caption, pnButtons_);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, 5, 75, 25);
        b->setAutoDefault(false);
        return b;
    };
    bnBack_ = makeButton("bnBack", QStringLiteral("<< &Back"), 4);
    bnNext_ = makeButton("bnNext", QStringLiteral("&Next >>"), 84);
    bnFinish_ = makeButton("bnFinish", QStringLiteral("&Start!"), 192);
    bnCancel_ = makeButton("bnCancel", QStringLiteral("&Cancel"), 272);
    bnNext_->setDefault(true);
    QFont bold = bnFinish_->font();
    bold.setBold(true);
    bnFinish_->setFont(bold);

    connect(bnNext_, &QPushButton::clicked, this, [this] { guardedMove(&TCustomWizard::bnNextClick); });
    connect(bnBack_, &QPushButton::clicked, this, [this] { guardedMove(&TCustomWizard::bnBackClick); });
    connect(bnFinish_, &QPushButton::clicked, this, [this] { RunGuarded([this] { bnFinishClick(); }); });
    connect(bnCancel_, &QPushButton::clicked, this, &QDialog::reject);

    stepBox_ = new TxWizardBox(pnLeft_);
    stepBox_->setObjectName(QStringLiteral("StepBox"));
    stepBox_->setFont(font());
    leftLayout->addWidget(stepBox_);
    stepBox_->OnChange = [this] { guardedMove(&TCustomWizard::StepBoxChange); };

    paintBackground();
    // The caption comes from the definition and is never translated.
    TranslateIgnore(this, "windowTitle");
    TranslateComponent(this);
}

TCustomWizard::~TCustomWizard()
{
    if (mainWindow() == this)
        mainWindow() = nullptr;
}

void TCustomWizard::SetDefinition(TxmlNode *root)
{
    if (root)
        wizardElement_ = root->FindChild("wizard");
}

bool TCustomWizard::Execute(TCustomProperties *settings)
{
    if (!wizardElement_)
        return false;
    const QString height = wizardElement_->Attribute("height");
    if (!height.isEmpty())
        resize(width(), std::min(ParseHeight(height), MaxClientHeight));
    settings_ = settings;
    setWindowTitle(ReplaceAll(GetCaption(), QStringLiteral("[converter]"),
                              settings ? settings->TargetExt() : QString()));
    // Errors here (no pages, an unknown first page) leave the window without a page.
    RunGuarded([this] { RefreshSteps(); });
    pgConnected_ = true;
    started_ = true;
    UpdateButtons();
    RunGuarded([this] { pgChange(); });

    QWidget *main = ApplicationMainWindow();
    if (main && main != this) {
        const bool ok = exec() == QDialog::Accepted;
        pgConnected_ = false;
        return ok;
    }
    SetApplicationMainWindow(this);
    show();
    return true;
}

void TCustomWizard::RefreshSteps()
{
    stepBox_->setUpdatesEnabled(false);
    try {
        stepBox_->Pages().clear();
        FillSteps();
        if (!CurrentItem()) {
            if (stepBox_->Pages().isEmpty())
                throw Exception(QStringLiteral("Pages not defined"));
            TWizardTabItem *item = CreatePage(stepBox_->Pages().first().Page);
            pg_->setCurrentWidget(item);
        }
        int selected = -1;
        if (TCommonWizardFrame *frame = CurrentFrame()) {
            const auto &pages = stepBox_->Pages();
            for (int i = 0; i < pages.size(); ++i) {
                if (pages[i].Page && pages[i].Page == frame->PageElement()) {
                    selected = i;
                    break;
                }
            }
        }
        stepBox_->SetItemIndex(selected);
    } catch (...) {
        stepBox_->setUpdatesEnabled(true);
        UpdateButtons();
        throw;
    }
    stepBox_->setUpdatesEnabled(true);
    UpdateButtons();
}

TWizardTabItem *TCustomWizard::CreatePage(TxmlNode *pageElement)
{
    if (!pageElement)
        throw Exception(QStringLiteral("Pages not defined"));
    const TFrameClass frameClass = WizardManager().FindPageClass(pageElement->Attribute("class"));
    TCommonWizardFrame *frame = frameClass.Create(this);
    auto *item = new TWizardTabItem(this);
    item->SetFrame(frame);
    frame->SetPageElement(pageElement);
    // Adding the first tab makes it current; whether that counts as a page change is ShowPage's call.
    const bool blocked = pg_->blockSignals(true);
    pg_->addTab(item, frame->windowTitle());
    pg_->blockSignals(blocked);
    frame->setParent(item);
    item->layout()->addWidget(frame);
    frame->show();
    frame->PagePlaced();
    return item;
}

void TCustomWizard::ShowPage(TxmlNode *pageElement)
{
    TWizardTabItem *item = nullptr;
    for (int i = 0; i < pg_->count() && !item; ++i) {
        auto *candidate = qobject_cast<TWizardTabItem *>(pg_->widget(i));
        if (candidate && candidate->Frame() && candidate->Frame()->PageElement() == pageElement)
            item = candidate;
    }
    QWidget *before = pg_->count() ? pg_->currentWidget() : nullptr;
    if (!item)
        item = CreatePage(pageElement);
    if (item != before) {
        pg_->setCurrentWidget(item);
        if (pgConnected_)
            pgChange();
    }
    RefreshSteps();
}

void TCustomWizard::pgChange()
{
    TCommonWizardFrame *frame = CurrentFrame();
    if (frame)
        frame->LoadPage();
    UpdateButtons();
    if (frame) {
        for (QLabel *label : frame->findChildren<QLabel *>())
            label->update();
        frame->FocusPage();
    }
    PageChanged();
}

void TCustomWizard::StoreCurrentPage()
{
    if (started_) {
        if (TCommonWizardFrame *frame = CurrentFrame())
            frame->StorePage();
    }
}

void TCustomWizard::bnNextClick()
{
    // The next page comes from the step list as it was built when this page was entered.
    TxmlNode *next = GetNextPage();
    if (!next)
        return;
    StoreCurrentPage();
    TCommonWizardFrame *frame = CurrentFrame();
    const bool pushed = frame != nullptr;
    if (pushed)
        history_.Push(frame->PageElement());
    try {
        ShowPage(next);
    } catch (...) {
        // The wizard stays on this page, so it is not part of the way back.
        if (pushed && CurrentFrame() == frame)
            history_.Pop();
        throw;
    }
}

void TCustomWizard::bnBackClick()
{
    TxmlNode *previous = history_.Pop();
    if (!previous)
        return;
    ShowPage(previous);
    RefreshSteps();
}

void TCustomWizard::bnFinishClick()
{
    try {
        StoreCurrentPage();
        setResult(QDialog::Accepted);
        done(QDialog::Accepted);
    } catch (...) {
        setResult(0);
        throw;
    }
}

void TCustomWizard::StepBoxChange()
{
    const TPageHistory saved = history_;
    try {
        StoreCurrentPage();
        history_.Clear();
        const auto &pages = stepBox_->Pages();
        const int selected = stepBox_->ItemIndex();
        for (int i = 0; i < selected && i < pages.size(); ++i) {
            if (!stepBox_->IsGroupHeader(i) && pages[i].Page)
                history_.Push(pages[i].Page);
        }
        if (selected < 0 || selected >= pages.size())
            return;
        ShowPage(pages[selected].Page);
    } catch (...) {
        history_ = saved;
        throw;
    }
}

void TCustomWizard::guardedMove(void (TCustomWizard::*move)())
{
    if (!RunGuarded([this, move] { (this->*move)(); })) {
        // Put the step list back on the page the wizard stayed on.
        RunGuarded([this] {
            if (CurrentItem())
                RefreshSteps();
        });
    }
}

TxmlNode *TCustomWizard::GetNextPage()
{
    const auto &pages = stepBox_->Pages();
    const int s = stepBox_->ItemIndex();
    const int n = static_cast<int>(pages.size());
    if (s >= n - 1)
        return nullptr;
    int next = s + 1;
    if (stepBox_->IsGroupHeader(next))
        ++next;
    return next < n ? pages[next].Page : nullptr;
}

void TCustomWizard::UpdateButtons()
{
    const int n = static_cast<int>(stepBox_->Pages().size());
    const int s = stepBox_->ItemIndex();
    const bool notLast = n != s + 1;
    SetButtonState(wbNext, notLast);
    bnNext_->setDefault(notLast);
    bnFinish_->setDefault(!notLast);
    SetButtonState(wbBack, history_.HasItems());
    SetButtonState(wbFinish, settings_ && settings_->CanStart());
}

void TCustomWizard::FillSteps()
{
    if (!settings_)
        return;
    for (const TWizardStep &step :
         CollectSteps(wizardElement_, *settings_, [](const QString &s) { return Translate(s); }))
        stepBox_->Pages().append({step.Caption, step.Page});
}

QString TCustomWizard::GetCaption()
{
    return wizardElement_ ? wizardElement_->Attribute("caption") : QString();
}

TWizardTabItem *TCustomWizard::CurrentItem() const
{
    return qobject_cast<TWizardTabItem *>(pg_->currentWidget());
}

TCommonWizardFrame *TCustomWizard::CurrentFrame() const
{
    TWizardTabItem *item = CurrentItem();
    return item ? item->Frame() : nullptr;
}

void TCustomWizard::SetButtonState(TWizardButton button, bool enabled)
{
    QPushButton *b = button == wbBack     ? bnBack_
                     : button == wbNext   ? bnNext_
                     : button == wbFinish ? bnFinish_
                                          : bnCancel_;
    b->setEnabled(enabled);
    QPalette p = b->palette();
    const QColor color = SkinButtonTextColor(enabled ? TSkinState::Normal : TSkinState::Disabled);
    p.setColor(QPalette::Active, QPalette::ButtonText, color);
    p.setColor(QPalette::Inactive, QPalette::ButtonText, color);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, color);
    b->setPalette(p);
}

void TCustomWizard::PaintPageBackground(QPainter &painter, const QRect &rect, const QPoint &origin)
{
    painter.drawImage(origin, background_, rect);
}

void TCustomWizard::paintBackground()
{
    const QSize size = pg_->size().expandedTo(QSize(1, 1)).boundedTo(QSize(8192, 8192));
    if (background_.size() == size)
        return;
    background_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&background_);
    PaintSkinBackground(painter, QRect(QPoint(0, 0), size));
}

bool TCustomWizard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pg_ && event->type() == QEvent::Resize)
        paintBackground();
    return QDialog::eventFilter(watched, event);
}

} // namespace kalido
