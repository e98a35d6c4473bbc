#pragma once
#include <QObject>

class TFMain;
class KVGlobal;
class KVPage;
class SheetView;

// The preview page TabItemInfo: the document fitted to the width, "Terug" and "E-mail".
class PreviewPage : public QObject {
    Q_OBJECT
public:
    explicit PreviewPage(TFMain& w);
    KVPage* page() const { return m_page; }
    SheetView* view() const { return m_view; }

    // Fills the document from the current ticket and shows the page.
    void ListBoxItemBekijkClick();
    void SBInfoTerugClick();
    // Exports the PDF and mails it, with the busy cursor while the mail is sent.
    void SBInfoEmailClick();

signals:
    // A tap on the signature block: the window opens the signing page from the preview.
    void SignRequested();

private:
    TFMain& m_w;
    KVGlobal& m_g;
    KVPage* m_page = nullptr;
    SheetView* m_view = nullptr;
};
