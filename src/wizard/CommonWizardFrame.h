#pragma once

#include "util/Errors.h"

#include <QFrame>
#include <QStringList>
#include <memory>

class QLabel;

namespace kalido {

class TCustomProperties;
class TCustomWizard;
class TPropertyBindings;
class TxmlNode;

// A frame asked for its wizard while it is not placed in one.
class EInvalidCast : public Exception
{
public:
    using Exception::Exception;
};

// Base of every wizard page: a header (Image and the description Label1 over a line), the
// wizard's background, access to the wizard's settings object, and the exchange of values
// between the page's controls and the settings object through bindings.
//
// A page's constructor builds its controls, below Body(); the frame is then translated and
// InitPage runs (FinishConstruction, called by the page registry). InitPage runs before the
// frame has a wizard: it may declare bindings and prepare controls but must not use Wizard()
// or Settings(). LoadPage, StorePage and FocusPage may.
class TCommonWizardFrame : public QFrame
{
    Q_OBJECT

public:
    explicit TCommonWizardFrame(QWidget *owner = nullptr);
    ~TCommonWizardFrame() override;

    // Translates the frame's texts and runs InitPage; called once, right after construction.
    void FinishConstruction();

    // At the end of construction: declare bindings, prepare controls.
    virtual void InitPage() {}
    // Each time the page becomes the active page: the bound controls take the settings' values.
    virtual void LoadPage();
    // Before the wizard leaves the page forwards (Next, a step click, Start!).
    virtual void StorePage();
    // After LoadPage on every page change: the first control in tab order takes the focus.
    virtual void FocusPage();
    // Once, after the frame has been placed into the wizard's page area.
    virtual void PagePlaced() {}

    // The wizard whose page area holds the frame; EInvalidCast when it is not placed in one.
    TCustomWizard *Wizard() const;
    // The wizard's settings object.
    TCustomProperties *Settings() const;

    void SetBindings(const QStringList &texts);
    void LoadBindings(TCustomProperties &settings);
    void StoreBindings(TCustomProperties &settings);
    // The bindings declared so far; empty before SetBindings.
    QStringList Bindings() const;

    TxmlNode *PageElement() const { return pageElement_; }
    void SetPageElement(TxmlNode *node) { pageElement_ = node; }

    // The header: page picture (48 x 48) and description.
    QLabel *Image() const { return image_; }
    QLabel *Label1() const { return label1_; }
    QWidget *Panel1() const { return panel1_; }
    // Where pages put their own controls (below the header).
    QWidget *Body() const { return body_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *panel1_;
    QLabel *image_;
    QLabel *label1_;
    QFrame *bevel1_;
    QWidget *body_;
    std::unique_ptr<TPropertyBindings> bindings_;
    TxmlNode *pageElement_ = nullptr;
};

} // namespace kalido
