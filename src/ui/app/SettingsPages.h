#pragma once
#include "app/ConfigForm.h"

#include <QObject>
#include <functional>

class TFMain;
class KVGlobal;
class KVPage;
class KVListBox;
class KVListItem;
class KVSwitch;
class NumberStepper;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTabWidget;
class QWidget;

// The settings page TabItemConfig with its four tabs.
class ConfigPage : public QObject {
    Q_OBJECT
public:
    explicit ConfigPage(TFMain& w);
    KVPage* page() const { return m_page; }

    void SBConfigClick();
    void SBConfigOKClick();
    void SBConfigTerugClick();
    void NumberBoxMaxGebruiktChange();
    void NumberBoxMaxNodigChange();

    // What the controls hold now, typed numbers included.
    ConfigValues ControlValues() const;

private:
    void build();
    KVListBox* addTab(const QString& name, const QString& caption);
    KVListItem* addRow(KVListBox* list, const QString& name, const QString& design, QWidget* editor);
    void MemoMailChange();

    TFMain& m_w;
    KVGlobal& m_g;
    KVPage* m_page = nullptr;
    QTabWidget* m_tabs = nullptr;
    NumberStepper *m_schaal = nullptr, *m_unit = nullptr, *m_bonnr = nullptr, *m_maxGebruikt = nullptr, *m_maxNodig = nullptr;
    NumberStepper *m_prijsWerk = nullptr, *m_prijsOver = nullptr, *m_prijsReis = nullptr, *m_prijsKm = nullptr, *m_btw = nullptr;
    NumberStepper* m_port = nullptr;
    QCheckBox *m_correctie = nullptr, *m_stdApp = nullptr, *m_startTls = nullptr;
    KVSwitch* m_auto = nullptr;
    QLineEdit *m_monteur = nullptr, *m_email = nullptr, *m_smtp = nullptr, *m_user = nullptr, *m_ww = nullptr, *m_reply = nullptr;
    QLineEdit *m_valuta = nullptr, *m_afstand = nullptr;
    QPlainTextEdit* m_memoMail = nullptr;
    QRadioButton *m_radioEx = nullptr, *m_radioInc = nullptr;
    QComboBox* m_lang = nullptr;
    bool m_filling = false;
};

// The company page TabItemPro.
class ProPage : public QObject {
    Q_OBJECT
public:
    explicit ProPage(TFMain& w);
    KVPage* page() const { return m_page; }

    void SBProClick();
    void SBProOKClick();
    void SBProTerugClick();
    void ListBoxItemLogoClick();
    void ImageLogoproDblClick();
    void ListBoxItem47Click();
    // Shows the current logo in ImageLogopro.
    void ShowLogo();

    ProValues ControlValues() const;

    // The platform's file-open dialog: the chosen file, or an empty text when the user
    // cancelled. Starts in the folder given. Tests replace it.
    std::function<QString(const QString& startFolder)> ChooseLogoFile;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFMain& m_w;
    KVGlobal& m_g;
    KVPage* m_page = nullptr;
    QLabel* m_logo = nullptr;
    QLineEdit *m_bedrijf = nullptr, *m_footer1 = nullptr, *m_footer2 = nullptr, *m_footer3 = nullptr;
    QLineEdit *m_gebruiker = nullptr, *m_wachtwoord = nullptr, *m_server = nullptr, *m_ca = nullptr;
    QCheckBox* m_tls = nullptr;
};

// The About page TabItemAbout.
class AboutPage : public QObject {
    Q_OBJECT
public:
    explicit AboutPage(TFMain& w);
    KVPage* page() const { return m_page; }

    void ListBoxItemAboutClick();
    void SBAboutOKClick();
    void ListBoxItemReviewClick();
    void ListBoxItemFacebookClick();
    void ListBoxItemSiteClick();

private:
    TFMain& m_w;
    KVGlobal& m_g;
    KVPage* m_page = nullptr;
    QLabel *m_memoBeg = nullptr, *m_memoInfo = nullptr;
    KVListBox* m_links = nullptr;
};
