#pragma once

#include "cmdline/CommandKeys.h"

namespace kalido {

class TAutoManager;
class TCustomProperties;

// No file matched a source parameter.
class EFileNotFound : public Exception
{
public:
    using Exception::Exception;
};

// The command-key table of jobs that convert source files into a destination, called as
// "program sources destination options". Leading positional parameters are the sources (files,
// folders, wildcard masks, URLs, ";" lists), the last of them the destination; folders and
// masks are expanded into the settings object's Files.
class TConverterCommandKeys : public TCommandKeys
{
public:
    explicit TConverterCommandKeys(TCustomProperties *properties);

    void SetKey(const QString &name, const QString &value) override;
    // Takes the destination back as a source when the job has none, then makes Files relative
    // to their common folder.
    void Validate() override;
    void AddParserKeys(QStringList &keyWords) override;
    void Clear() override;
    // Extensions without dots, separated by ";", that a folder given as source is filtered by;
    // empty for no filter.
    virtual QString FilterExtensions() const { return {}; }

    // Adds to Files what one source parameter stands for. Throws EFileNotFound when a folder or
    // mask yields no file.
    void AddSource(const QString &value);
    // Adds the lines of a list file to Files as they are.
    void LoadListFile(const QString &fileName);
    // Sets the convert type from the destination's extension unless one was given.
    void TypeFromDestination(const QString &value);
    // "*.ext1;*.ext2" from FilterExtensions, "*.*" without a filter.
    QString FilterMask() const;
    // Adds the files of Folder (the current folder when empty) whose names Matcher accepts, and
    // with Recurse those of its subfolders. True when anything was added.
    bool ScanFolder(const QString &folder, const TAutoManager &matcher, bool recurse);

    TCustomProperties *CustomProperties() const;

    bool ConvertTypeGiven = false;
    // The job takes sources only: the last leading positional parameter is a source too.
    bool NoDestination = false;
};

} // namespace kalido
