#include "project/CustomProperties.h"

#include "files/FileList.h"
#include "project/FsProbe.h"
#include "project/PropertyAccess.h"
#include "store/XmlIni.h"
#include "util/Errors.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <QDir>
#include <QMetaEnum>

#include <algorithm>

namespace kalido {

namespace {

QString &lastDestinationFolder()
{
    static QString folder;
    return folder;
}

// The folder part of a destination: up to and including its last delimiter, or the drive of a
// Windows-style "C:name"; empty for a bare name.
QString destinationFolder(const QString &path)
{
    QString folder = ExtractFolder(path);
    if (folder.isEmpty() && path.size() >= 2 && path[1] == u':' && path[0].isLetter() &&
        path[0].unicode() < 128)
        folder = path.left(2);
    return folder;
}

// Path with the extension of its last name part replaced by ext ("" removes it, dot included).
QString changeExt(const QString &path, const QString &ext)
{
    qsizetype cut = path.size();
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsPathDelim(path[i]))
            break;
        if (path[i] == u'.') {
            cut = i;
            break;
        }
    }
    QString out = path.left(cut);
    if (!ext.isEmpty())
        out += u'.' + ext;
    return out;
}

QString fileNamePart(const QString &path)
{
    return path.mid(ExtractFolder(path).size());
}

} // namespace

const QString &LastDestinationFolder()
{
    return lastDestinationFolder();
}

void SetLastDestinationFolder(const QString &folder)
{
    lastDestinationFolder() = folder;
}

TCustomProperties::TCustomProperties(QObject *parent) : QObject(parent), files_(std::make_unique<TFileList>())
{}

TCustomProperties::~TCustomProperties() = default;

int TCustomProperties::FileCount() const
{
    return files_->Count();
}

void TCustomProperties::SetDestination(const QString &value)
{
    destination_ = value;
    SetLastDestinationFolder(IsExistingFolder(value) ? IncludeSlash(value) : destinationFolder(value));
}

QString TCustomProperties::GetDefaultFolder()
{
    QString folder;
    if (GetSpecialFolder(CSIDL_PERSONAL, folder) && !folder.isEmpty())
        return folder;
    return QDir::homePath();
}

void TCustomProperties::SuggestDestination()
{
    QString folder = LastDestinationFolder();
    if (folder.isEmpty() && !files_->BasePath().isEmpty() && !IsReadOnlyFolder(files_->BasePath()))
        folder = files_->BasePath();
    if (folder.isEmpty())
        folder = IncludeSlash(GetDefaultFolder());

    if (files_->Count() == 1) {
        // A list never made relative holds a full path: only its name goes after the folder.
        QString entry = files_->Strings(0);
        if (files_->BasePath().isEmpty())
            entry = fileNamePart(entry);
        SetDestination(folder + changeExt(entry, targetExt_));
    } else {
        SetDestination(folder);
    }
}

void TCustomProperties::SetConvertType(const QByteArray &name)
{
    const auto prop = FindPublishedProperty(*metaObject(), "ConvertType");
    if (!prop || prop->kind != TPropKind::Enumeration || !prop->writable)
        return;

    const QString wanted = LowerAscii(QString::fromLatin1(name).remove(u'_'));
    const QMetaEnum e = prop->meta.enumerator();
    std::vector<int> values;
    for (int i = 0; i < e.keyCount(); ++i)
        values.push_back(e.value(i));
    std::sort(values.begin(), values.end());

    if (!wanted.isEmpty()) {
        for (int v : values) {
            const QString key = LowerAscii(QString::fromLatin1(e.valueToKey(v)));
            if (key.endsWith(wanted)) {
                prop->meta.write(this, QVariant(v));
                return;
            }
        }
    }
    throw Exception(QStringLiteral("Invalid convert method: ") + QString::fromLatin1(name));
}

const QStringList &TCustomProperties::PropNames()
{
    BuildPropNames();
    return *propNames_;
}

void TCustomProperties::BuildPropNames()
{
    if (propNames_)
        return;
    QStringList names;
    for (const TPropInfo &p : PublishedProperties(*metaObject())) {
        const QString name = QString::fromLatin1(p.name);
        // A plain substring test: a name that is the tail of an excluded key is excluded too.
        if (!excludedKeys_.contains(LowerAscii(name) + u';'))
            names.append(name);
    }
    propNames_ = std::move(names);
}

void TCustomProperties::SaveTo(IXMLIni &store)
{
    BuildPropNames();
    for (const QString &name : *propNames_) {
        const auto prop = FindPublishedProperty(*metaObject(), name.toLatin1());
        if (!prop)
            continue;
        QString text = GetPropText(*this, *prop);
        if (text.isEmpty() && prop->kind == TPropKind::Set)
            text = QStringLiteral("<empty>");
        else if (text.isEmpty() && prop->kind == TPropKind::AnsiString)
            text = QStringLiteral("<#0>");
        store.WriteString(name, text);
    }
}

void TCustomProperties::LoadFrom(IXMLIni &store)
{
    BuildPropNames();
    for (const QString &name : *propNames_) {
        const auto prop = FindPublishedProperty(*metaObject(), name.toLatin1());
        if (!prop || !prop->writable || prop->kind == TPropKind::Object)
            continue;
        QString text = store.ReadString(name, QString());
        if (text.isEmpty())
            continue;
        if (prop->kind == TPropKind::Set && EqualText(text, QStringLiteral("<empty>")))
            text.clear();
        else if (prop->kind == TPropKind::AnsiString && EqualText(text, QStringLiteral("<#0>")))
            text.clear();
        SetPropText(*this, *prop, text);
    }
}

bool TCustomProperties::CanStart()
{
    return true;
}

std::unique_ptr<TCustomProperties> TPropertiesClass::Create() const
{
    if (!make_)
        throw Exception(QStringLiteral("PropertiesClass not defined"));
    return make_();
}

std::unique_ptr<TCustomProperties> TPropertiesClass::CreateForCommandLine() const
{
    auto obj = Create();
    obj->commandLine_ = true;
    return obj;
}

TPropertiesClass &PropertiesClass()
{
    static TPropertiesClass cls;
    return cls;
}

void DoneCustomProperties()
{
    PropertiesClass() = TPropertiesClass();
    SetLastDestinationFolder(QString());
}

} // namespace kalido
