#pragma once
#include "DurableFile.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// kvrn.ini and jargon.ini: classic INI text in UTF-8, sections and keys found without regard to
// case. A line "[name]" opens a section, a line "key=value" holds a value, a line starting with
// ";" or "#" is a comment. Blanks (spaces, tabs, NUL bytes) around a name, a key or a value are
// not part of it; a value with blanks at its ends is written in double quotes ("  geheim ")
// and read back without them, so every value reads back as it was written. A key that the
// file holds more than once reads as its last line.
//
// Reads never fail: a missing file, section or key, or a value that does not parse, gives the
// default; a file that cannot be read whole reads as empty. A write keeps the file's lines as
// they are (comments, damaged lines, bytes that are no text) and changes only the lines of the
// keys it writes, adding the keys that are new at the end of their section; so a write never
// loses a key. It refuses to write over a file that it cannot read whole.
//
// An IniFile is meant to live for one reader or one writer: it reads the file at its first read
// and answers every later read from that copy. A write always starts from the file as it is on
// disk, so keys that other writers put there in the meantime are kept.
class IniFile {
public:
    explicit IniFile(QString path, FileCalls calls = {});
    ~IniFile();

    // At most 2047 characters of the value.
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal digits with an optional sign, or "0x" followed by hexadecimal digits.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // Read as an integer: any non-zero value is true.
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // A number written with the decimal separator of the current locale (QLocale()).
    double ReadFloat(const QString& section, const QString& key, double def) const;

    // Every key line of a section, in file order, with its key as the file spells it and its
    // value as ReadString gives it.
    void ForEachKey(const QString& section, const std::function<void(const QString& key, const QString& value)>& fn) const;
    // The number of key lines of a section.
    int KeyCount(const QString& section) const;

    // One key each, written to the file at once (a durable replace, see WriteFileDurably);
    // each throws FileWriteError ("Unable to write to <path>") when the file system refuses or
    // the file cannot be read whole, and the file then stays as it was. For several keys use
    // IniEdit: one save for all of them.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteFloat(const QString& section, const QString& key, double value);

    const QString& path() const { return m_path; }

    // The value rules on their own, for callers that hold a text already.
    static bool ParseInteger(const QString& text, int& value);
    static bool ParseFloat(const QString& text, double& value);
    // Shortest general form with up to 15 significant digits, in the current locale, without
    // group separators (37.5 is "37,5" under a Dutch locale).
    static QString FormatFloat(double value);

    struct Doc;

private:
    friend class IniEdit;
    const Doc& doc() const;
    // The value as the file spells it (quotes taken off), or false when there is no such key.
    bool raw(const QString& section, const QString& key, QString& value) const;

    QString m_path;
    FileCalls m_calls;
    mutable std::shared_ptr<const Doc> m_doc;
};

// A group of keys written to one INI file in one save. The writes collect in memory; Save()
// writes the file as it is on disk at that moment with these keys set, in one durable replace.
// A key written twice keeps the second value. A key that is already there under another
// spelling of case keeps that spelling. Line breaks in a text become spaces: a value is always
// one line of the file.
class IniEdit {
public:
    explicit IniEdit(QString path, FileCalls calls = {});

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    // "1" or "0".
    void WriteBool(const QString& section, const QString& key, bool value);
    // IniFile::FormatFloat.
    void WriteFloat(const QString& section, const QString& key, double value);

    // Throws FileWriteError when the file cannot be read whole or not be replaced; it then
    // stays as it was. Returns the file as written.
    std::shared_ptr<const IniFile::Doc> Save() const;

    const QString& path() const { return m_path; }

private:
    struct Change {
        QByteArray section, key, value; // value as the line spells it
    };
    QString m_path;
    FileCalls m_calls;
    std::vector<Change> m_changes;
    QString m_section;
    QByteArray m_sectionBytes;
};
