#pragma once

#include "project/CustomProperties.h"

#include <QObject>

namespace kalido::test {

class TSubOptions : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Label MEMBER Label)
    Q_PROPERTY(kalido::test::TSubOptions *Inner MEMBER Inner)

public:
    QString Label;
    TSubOptions *Inner = nullptr;
};

// A converter's settings: a convert type, an enumeration, a number, a floating-point value and
// an object property for dotted keys.
class TTestProperties : public TCustomProperties
{
    Q_OBJECT
    Q_PROPERTY(TConvertType ConvertType MEMBER ConvertType)
    Q_PROPERTY(TFormat Format MEMBER Format)
    Q_PROPERTY(int Quality MEMBER Quality)
    Q_PROPERTY(double Scale MEMBER Scale)
    Q_PROPERTY(QString OptionFile MEMBER OptionFile)
    Q_PROPERTY(QString Note MEMBER Note)
    Q_PROPERTY(kalido::test::TSubOptions *Sub READ Sub)

public:
    enum TConvertType { ctNone, ctJpeg, ctJpg, ctPng };
    Q_ENUM(TConvertType)
    enum TFormat : int { fmtNone = 0, fmtBmp = 3, fmtJpeg = 7 };
    Q_ENUM(TFormat)

    TSubOptions *Sub() { return &sub; }

    TConvertType ConvertType = ctNone;
    TFormat Format = fmtNone;
    int Quality = 0;
    double Scale = 0;
    QString OptionFile;
    QString Note;
    TSubOptions sub;
};

} // namespace kalido::test
