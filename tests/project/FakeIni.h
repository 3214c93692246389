#pragma once

#include "store/XmlIni.h"

#include <QList>
#include <QPair>
#include <stdexcept>

namespace kalido::test {

// A settings store that keeps the values of one open key in order, so tests can check exactly
// what a settings object writes and feed it any value. Everything but the value reads and
// writes is out of bounds here.
class FakeIni : public IXMLIni
{
public:
    QList<QPair<QString, QString>> values;

    void WriteString(const QString &name, const QString &value) override
    {
        for (auto &v : values)
            if (v.first.compare(name, Qt::CaseInsensitive) == 0) {
                v.second = value;
                return;
            }
        values.append({name, value});
    }
    QString ReadString(const QString &name, const QString &def) override
    {
        for (const auto &v : values)
            if (v.first.compare(name, Qt::CaseInsensitive) == 0)
                return v.second;
        return def;
    }

private:
    [[noreturn]] static void unused() { throw std::logic_error("FakeIni: not used by settings objects"); }

public:
    void SetFileName(const QString &) override { unused(); }
    QString GetFileName() override { unused(); }
    bool GetReadOnly() override { unused(); }
    void SetCurrentNode(const std::shared_ptr<IXMLNode> &) override { unused(); }
    std::shared_ptr<IXMLNode> GetCurrentNode() override { unused(); }
    std::shared_ptr<IXMLNode> GetKeyNode() override { unused(); }
    std::shared_ptr<IXMLNode> GetRootNode() override { unused(); }
    void SetRootNode(const std::shared_ptr<IXMLNode> &) override { unused(); }
    void SetReadOnly(bool) override { unused(); }
    TxmlNode *GetCurrentXmlNode() override { unused(); }
    void SetCurrentXmlNode(TxmlNode *) override { unused(); }
    void EraseKey() override { unused(); }
    void DeleteKey() override { unused(); }
    int ValueCount() override { return int(values.size()); }
    bool UpdateFile() override { unused(); }
    void Flush() override { unused(); }
    bool CheckDocument() override { unused(); }
    void Reserved1() override { unused(); }
    void TestFile() override { unused(); }
    bool SeekKey(const QString &) override { unused(); }
    bool OpenKey(const QString &, bool, int) override { unused(); }
    bool OpenKeyByAttributes(const QString &, const QString &, bool) override { unused(); }
    std::shared_ptr<IXMLNode> RenewKey(const QString &, const QString &) override { unused(); }
    void WriteInteger(const QString &, int) override { unused(); }
    int ReadInteger(const QString &, int) override { unused(); }
    void WriteBool(const QString &, bool) override { unused(); }
    bool ReadBool(const QString &, bool) override { unused(); }
    IniRect ReadRect(const QString &, const IniRect &) override { unused(); }
    void WriteRect(const QString &, const IniRect &) override { unused(); }
    QPoint ReadPoint(const QString &, const QPoint &) override { unused(); }
    void WritePoint(const QString &, const QPoint &) override { unused(); }
    void WriteStrings(const QString &, const QString &, int) override { unused(); }
    QString ReadStrings(const QString &) override { unused(); }
    int ReadIndex(const QString &, const QString &, int) override { unused(); }
    void WriteIndex(const QString &, const QString &, int) override { unused(); }
    void Reserved2() override { unused(); }
};

} // namespace kalido::test
