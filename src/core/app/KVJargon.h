#pragma once
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

// The words the user sees: the Dutch design captions, the user's own terms from jargon.ini,
// and the language table. The captions live here, not in widgets: widgets show them and
// follow CaptionChanged, and the document, the type names and the mail subject read them.
class KVJargon : public QObject {
    Q_OBJECT
public:
    explicit KVJargon(QObject* parent = nullptr);

    // ---- language table ----
    // The codes that have a list: "de", "us", "es", "fr". "en" and the source language have none.
    QStringList LanguageCodes() const;
    // Sets the language of the captions: reverts earlier translations, then, for a code with a
    // list, replaces every auto-translated caption equal to a source text by its translation.
    // "en" only reverts; a code without a list changes nothing.
    void SetLanguageCode(const QString& code);
    QString LanguageCode() const { return m_code; }
    // The translation of a whole text in the current language, or the text itself.
    QString Translate(const QString& text) const;
    // The language code for a BRANCHE/taal index, or an empty text for an unknown index.
    static QString CodeForIndex(int index);
    // Source texts of the table, in table order.
    const QStringList& SourceTexts() const { return m_sources; }

    // ---- captions ----
    // Declares a caption with its Dutch design text. Declaring it again keeps its current text.
    void Register(const QString& name, const QString& designText, bool autoTranslate = true);
    bool Has(const QString& name) const { return m_captions.contains(name); }
    QString Caption(const QString& name) const;
    // Sets a caption's text as shown (a user term or a caption built at run time).
    void SetCaption(const QString& name, const QString& text);
    // The term key of a caption that carries one, else an empty text.
    QString TermKey(const QString& name) const;
    // The 19 captions that carry a term key, in table order.
    static const QStringList& TermCaptionNames();

    // ---- terms ----
    void LoadTerms(const QString& termsPath);
    // Writes "Jargon"/<term key of item> := text to the terms file, then LoadTerms.
    void SaveTerm(const QString& termsPath, const QString& itemName, const QString& text);

signals:
    void CaptionChanged(const QString& name, const QString& text);

private:
    struct CaptionEntry {
        QString base;   // the source-language text (design text or the user's term)
        QString shown;  // what is shown now
        bool autoTranslate = true;
        QString termKey;
    };
    void LoadTables();
    void setShown(const QString& name, CaptionEntry& e, const QString& text);

    QStringList m_sources;
    QHash<QString, QHash<QString, QString>> m_tables; // code -> lower-case source -> translation
    QHash<QString, QHash<QString, QString>> m_exact;  // code -> source (case kept) -> translation
    QHash<QString, CaptionEntry> m_captions;
    QString m_code;
};
