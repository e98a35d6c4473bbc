#include "SignPage.h"

#include "PageParts.h"
#include "SignaturePad.h"
#include "TextFitLabel.h"
#include "TicketEditor.h"
#include "TicketPages.h"
#include "app/KVGlobal.h"
#include "app/TFMain.h"
#include "document/KVGrid.h"
#include "ticket/TicketOps.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScroller>
#include <QVBoxLayout>

using namespace PageParts;

namespace {
const QString kMain = QStringLiteral("TabItemMain");
const QString kInfo = QStringLiteral("TabItemInfo");
}

SignPage::SignPage(TicketEditor& editor) : KVPage(QStringLiteral("TabItemSign")), m_editor(editor), m_g(editor.g())
{
    KVJargon& j = m_g.jargon;
    const auto [back, ok] = SetUpTopBar(j, this, QStringLiteral("LabelSign"), QStringLiteral("Afronding"),
                                        QStringLiteral("SBSignTerug"), QStringLiteral("SBSignOK"));

    auto* content = new QWidget(body());
    auto* v = new QVBoxLayout(content);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(6);
    m_client = new SignaturePad(QStringLiteral("TMSFMXSignatureCapture1"), content);
    m_mechanic = new SignaturePad(QStringLiteral("TMSFMXSignatureCapture2"), content);
    for (auto [pad, name, design] :
         {std::tuple{m_client, "TMSFMXSignatureCapture1", "Handtekening opdrachtgever indien akkoord"},
          std::tuple{m_mechanic, "TMSFMXSignatureCapture2", "Handtekening monteur"}}) {
        const QString caption = QLatin1String(name);
        j.Register(caption, QString::fromUtf8(design));
        pad->SetCaption(j.Caption(caption));
        connect(&j, &KVJargon::CaptionChanged, pad, [pad, caption](const QString& changed, const QString& text) {
            if (changed == caption)
                pad->SetCaption(text);
        });
        connect(pad, &SignaturePad::PointerDown, this, &SignPage::TMSFMXSignatureCapture1MouseDown);
        v->addWidget(pad);
    }
    auto* label = new QLabel(content);
    label->setObjectName(QStringLiteral("LabelOpmerkingen"));
    BindCaption(j, label, QStringLiteral("LabelOpmerkingen"), QStringLiteral("Opmerkingen"));
    label->setStyleSheet(QStringLiteral("color: #1F4E79; font-weight: bold; padding: 6px 10px 0 10px;"));
    v->addWidget(label);
    m_remarks = new QPlainTextEdit(content);
    m_remarks->setObjectName(QStringLiteral("MemoOpmerkingen"));
    m_remarks->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* remarksBox = new QWidget(content);
    auto* rl = new QVBoxLayout(remarksBox);
    rl->setContentsMargins(10, 0, 10, 10);
    rl->addWidget(m_remarks);
    m_remarksFit = new TextFitLabel(QStringLiteral("LabelRegelsOpmerkingen"), m_g, m_remarks, RemarksFit, remarksBox);
    rl->addWidget(m_remarksFit);
    v->addWidget(remarksBox, 1);
    bodyLayout()->addWidget(content, 1);

    for (auto [name, slot] : {std::pair{"SBClearSign", &SignPage::SBClearSignClick},
                              std::pair{"SBClearSign2", &SignPage::SBClearSign2Click}}) {
        KVSpeedButton* b = addBottomButton(QLatin1String(name), QString());
        BindCaption(j, b, QLatin1String(name), QStringLiteral("Verwijderen"));
        SetIcon(b, TrashIcon());
        connect(b, &QToolButton::clicked, this, slot);
    }
    connect(back, &QToolButton::clicked, this, &SignPage::SBSignTerugClick);
    connect(ok, &QToolButton::clicked, this, &SignPage::SBSignOKClick);

    m_g.pads.Attach(m_client, m_mechanic);
}

SignPage::~SignPage()
{
    // The pads go with this page; the ticket keeps their pictures.
    m_g.pads.Attach(nullptr, nullptr);
}

void SignPage::ListBoxItemOndertekeningClick() { open(false); }
void SignPage::OpenFromPreview() { open(true); }

void SignPage::open(bool fromPreview)
{
    m_g.SignedThisVisit = false;
    m_g.SignFromPreview = fromPreview;
    setWindowTouchScrolling(false);
    SetMemoLines(m_remarks, m_g.bon.opm);
    m_remarksFit->Refresh();
    // The pads are not refilled: they show what New or Load put there and what was drawn since.
    m_editor.main().ShowPage(objectName());
}

void SignPage::TMSFMXSignatureCapture1MouseDown() { m_g.SignedThisVisit = true; }

void SignPage::SBClearSignClick()
{
    m_client->Clear();
    m_g.SignedThisVisit = false;
    m_g.bon.ondertekend = false;
}

void SignPage::SBClearSign2Click() { m_mechanic->Clear(); }

void SignPage::SBSignOKClick()
{
    TBon& b = m_g.bon;
    if (m_g.SignedThisVisit)
        b.ondertekend = true;
    b.handtekening = m_client->Picture();
    b.handtekening2 = m_mechanic->Picture();
    m_editor.SetMenuDetail(QStringLiteral("ListBoxItemOndertekening"), b.opdrachtgever);
    setWindowTouchScrolling(true);
    b.opm = MemoLines(m_remarks);
    if (!m_g.SignFromPreview) {
        m_editor.FinishBon();
        return;
    }
    StoreBon(m_g); // no sharing and no sound from the preview
    m_editor.main().ShowPage(kInfo);
    emit m_editor.RefillPreview();
}

void SignPage::SBSignTerugClick()
{
    setWindowTouchScrolling(true);
    m_editor.main().ShowPage(m_g.SignFromPreview ? kInfo : kMain);
}

void SignPage::setWindowTouchScrolling(bool on)
{
    // The pads take every touch themselves; a kinetic scroller on the window would still see
    // the drags, so it is released while signing and given back afterwards.
    QScrollArea* scroll = m_editor.main().VertScrollBox1();
    if (!scroll)
        return;
    QWidget* viewport = scroll->viewport();
    if (!on) {
        m_scrollerReleased = QScroller::grabbedGesture(viewport) != Qt::GestureType(0);
        if (m_scrollerReleased)
            QScroller::ungrabGesture(viewport);
    } else if (m_scrollerReleased) {
        QScroller::grabGesture(viewport, QScroller::TouchGesture);
        m_scrollerReleased = false;
    }
}
