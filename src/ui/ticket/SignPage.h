#pragma once
#include "app/KVWidgets.h"

class KVGlobal;
class SignaturePad;
class TicketEditor;
class QPlainTextEdit;
class TextFitLabel;

// The signing page TabItemSign: the client's and the mechanic's signature pads and the remarks.
class SignPage : public KVPage {
    Q_OBJECT
public:
    explicit SignPage(TicketEditor& editor);
    ~SignPage() override;

    // From the main menu (after the guard) and from the document preview.
    void ListBoxItemOndertekeningClick();
    void OpenFromPreview();

    void TMSFMXSignatureCapture1MouseDown();
    void SBClearSignClick();
    void SBClearSign2Click();
    void SBSignOKClick();
    void SBSignTerugClick();

    SignaturePad* ClientPad() const { return m_client; }
    SignaturePad* MechanicPad() const { return m_mechanic; }

private:
    void open(bool fromPreview);
    // While signing, touch dragging does not scroll the window.
    void setWindowTouchScrolling(bool on);

    TicketEditor& m_editor;
    KVGlobal& m_g;
    SignaturePad* m_client;
    SignaturePad* m_mechanic;
    QPlainTextEdit* m_remarks;
    TextFitLabel* m_remarksFit;
    bool m_scrollerReleased = false; // the window's touch scroller was released for signing
};
