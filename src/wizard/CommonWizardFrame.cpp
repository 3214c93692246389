#include "wizard/CommonWizardFrame.h"

#include "project/CustomProperties.h"
#include "shell/Languages.h"
#include "wizard/CustomWizard.h"
#include "wizard/PropertyManager.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace kalido {

TCommonWizardFrame::TCommonWizardFrame(QWidget *owner) : QFrame(owner)
{
    resize(326, 237);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    panel1_ = new QWidget(this);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setFixedHeight(61);
    image_ = new QLabel(panel1_);
    image_->setObjectName(QStringLiteral("Image"));
    image_->setGeometry(12, 8, 48, 48);
    image_->setAlignment(Qt::AlignCenter);
    label1_ = new QLabel(QStringLiteral("Description"), panel1_);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(68, 8, 250, 45);
    label1_->setWordWrap(true);
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bevel1_ = new QFrame(panel1_);
    bevel1_->setObjectName(QStringLiteral("Bevel1"));
    bevel1_->setGeometry(68, 56, 255, 2);
    bevel1_->setFrameShape(QFrame::HLine);
    bevel1_->setFrameShadow(QFrame::Sunken);
    layout->addWidget(panel1_);

    body_ = new QWidget(this);
    body_->setObjectName(QStringLiteral("Body"));
    layout->addWidget(body_, 1);
}

TCommonWizardFrame::~TCommonWizardFrame() = default;

void TCommonWizardFrame::FinishConstruction()
{
    TranslateComponent(this);
    InitPage();
}

void TCommonWizardFrame::LoadPage()
{
    if (TCustomProperties *settings = Settings())
        LoadBindings(*settings);
}

void TCommonWizardFrame::StorePage()
{
    if (TCustomProperties *settings = Settings())
        StoreBindings(*settings);
}

void TCommonWizardFrame::FocusPage()
{
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (!isAncestorOf(w))
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

TCustomWizard *TCommonWizardFrame::Wizard() const
{
    auto *item = qobject_cast<TWizardTabItem *>(parentWidget());
    if (!item || !item->Wizard())
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    return item->Wizard();
}

TCustomProperties *TCommonWizardFrame::Settings() const
{
    return Wizard()->Settings();
}

void TCommonWizardFrame::SetBindings(const QStringList &texts)
{
    if (!bindings_)
        bindings_ = std::make_unique<TPropertyBindings>(this);
    bindings_->SetBindings(bindings_->Bindings() + texts);
}

void TCommonWizardFrame::LoadBindings(TCustomProperties &settings)
{
    if (bindings_)
        bindings_->LoadBindings(settings);
}

void TCommonWizardFrame::StoreBindings(TCustomProperties &settings)
{
    if (bindings_)
        bindings_->StoreBindings(settings);
}

QStringList TCommonWizardFrame::Bindings() const
{
    return bindings_ ? bindings_->Bindings() : QStringList();
}

void TCommonWizardFrame::paintEvent(QPaintEvent *event)
{
    // The wizard's skin background shows through the transparent header and controls.
    QPainter painter(this);
    auto *item = qobject_cast<TWizardTabItem *>(parentWidget());
    if (item && item->Wizard())
        item->Wizard()->PaintPageBackground(painter, rect(), QPoint(0, 0));
    else
        painter.fillRect(rect(), palette().window());
    QFrame::paintEvent(event);
}

} // namespace kalido
