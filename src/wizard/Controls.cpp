#include "wizard/Controls.h"

#include <QAction>
#include <QButtonGroup>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kalido {

TxRadioGroup::TxRadioGroup(QWidget *parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this))
{
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit ItemIndexChanged(id);
    });
    connect(buttons_, &QButtonGroup::idClicked, this, [this](int) { emit Click(); });
}

TxRadioGroup::TxRadioGroup(const QString &title, const QStringList &items, QWidget *parent)
    : TxRadioGroup(parent)
{
    setTitle(title);
    SetItems(items);
}

void TxRadioGroup::SetItems(const QStringList &items)
{
    for (QAbstractButton *b : buttons_->buttons()) {
        buttons_->removeButton(b);
        delete b;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        buttons_->addButton(button, i);
        layout_->addWidget(button);
    }
}

QStringList TxRadioGroup::Items() const
{
    QStringList items;
    for (QAbstractButton *b : buttons_->buttons())
        items << b->text();
    return items;
}

qsizetype TxRadioGroup::Count() const
{
    return buttons_->buttons().size();
}

int TxRadioGroup::ItemIndex() const
{
    return buttons_->checkedId();
}

void TxRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *b = buttons_->button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group never unchecks its last checked button by itself.
    buttons_->setExclusive(false);
    for (QAbstractButton *b : buttons_->buttons())
        b->setChecked(false);
    buttons_->setExclusive(true);
    emit ItemIndexChanged(-1);
}

TxButtonEdit::TxButtonEdit(QWidget *parent) : QLineEdit(parent)
{
    button_ = addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    connect(button_, &QAction::triggered, this, &TxButtonEdit::ButtonClick);
}

} // namespace kalido
