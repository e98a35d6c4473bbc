#pragma once
#include <QString>

// kvrn.ini and jargon.ini: classic INI text, sections and keys found without regard to case.
// Every write updates one key and replaces the file at once, atomically (written beside it,
// flushed, renamed), readable by its owner only. Reads never fail: a missing file, section or
// key, or a value that does not parse, gives the default.
class IniFile {
public:
    explicit IniFile(QString path);

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    double ReadFloat(const QString& section, const QString& key, double def) const;

    // Each throws KVError("Unable to write to <path>") when the file system refuses.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteFloat(const QString& section, const QString& key, double value);

    const QString& path() const { return m_path; }

private:
    QString m_path;
};
