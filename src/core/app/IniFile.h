#pragma once
#include <QString>
#include <QStringList>
#include <memory>

// kvrn.ini and jargon.ini: classic INI text in UTF-8, sections and keys found without regard to
// case. Every write updates one key and replaces the file at once, atomically (written beside it,
// flushed, renamed), readable by its owner only. Reads never fail: a missing file, section or
// key, or a value that does not parse, gives the default.
//
// An IniFile is meant to live for one reader or one writer: it reads the file at its first read
// and answers every later read from that copy. A write always starts from the file as it is on
// disk, so keys that other writers put there in the meantime are kept.
class IniFile {
public:
    explicit IniFile(QString path);
    ~IniFile();

    // At most 2047 characters of the value.
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal digits with an optional sign, or "0x" followed by hexadecimal digits.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // Read as an integer: any non-zero value is true.
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // A number written with the decimal separator of the current locale (QLocale()).
    double ReadFloat(const QString& section, const QString& key, double def) const;

    // Each throws KVError("Unable to write to <path>") when the file system refuses.
    // A key that is already there under another spelling of case keeps that spelling.
    // Line breaks in a text become spaces: a value is always one line of the file.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    // "1" or "0".
    void WriteBool(const QString& section, const QString& key, bool value);
    // Shortest general form with up to 15 significant digits, in the current locale,
    // without group separators (37.5 is "37,5" under a Dutch locale).
    void WriteFloat(const QString& section, const QString& key, double value);

    // The keys of a section as the file spells them, in file order.
    QStringList Keys(const QString& section) const;

    const QString& path() const { return m_path; }

    // The value rules on their own, for callers that hold a text already.
    static bool ParseInteger(const QString& text, int& value);
    static bool ParseFloat(const QString& text, double& value);
    static QString FormatFloat(double value);

private:
    struct Doc;
    const Doc& doc() const;
    // The raw value, or false when the file holds no such key.
    bool raw(const QString& section, const QString& key, QString& value) const;

    QString m_path;
    mutable std::shared_ptr<Doc> m_doc;
};
