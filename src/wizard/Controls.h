#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

namespace kalido {

// A framed group of radio buttons, one per item, whose value is the index of the checked one
// (-1 when none is checked).
class TxRadioGroup : public QGroupBox
{
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ ItemIndex WRITE SetItemIndex NOTIFY ItemIndexChanged USER true)

public:
    explicit TxRadioGroup(QWidget *parent = nullptr);
    TxRadioGroup(const QString &title, const QStringList &items, QWidget *parent = nullptr);

    // Replaces the buttons; nothing is checked afterwards.
    void SetItems(const QStringList &items);
    QStringList Items() const;
    qsizetype Count() const;

    int ItemIndex() const;
    // An index outside the items checks none.
    void SetItemIndex(int index);

signals:
    void ItemIndexChanged(int index);
    // The user clicked one of the buttons.
    void Click();

private:
    QButtonGroup *buttons_;
    QVBoxLayout *layout_;
};

// A line edit with a browse button at its right end.
class TxButtonEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TxButtonEdit(QWidget *parent = nullptr);
    QAction *Button() const { return button_; }

signals:
    void ButtonClick();

private:
    QAction *button_;
};

} // namespace kalido
