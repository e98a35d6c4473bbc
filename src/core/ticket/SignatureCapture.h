#pragma once
#include <QImage>
#include <QSize>

// What the ticket needs of a signature pad: clear it, give a copy of its picture and replace
// its picture. The signing page's pad widgets implement it; without a window (and before the
// window attaches its pads) a plain picture stands in.
class SignatureCapture {
public:
    // The pad in page units, and the pixels of its picture per unit.
    static constexpr int PadWidth = 392;
    static constexpr int PadHeight = 136;
    static constexpr int PixelsPerUnit = 2;
    static QSize DefaultPictureSize() { return {PadWidth * PixelsPerUnit, PadHeight * PixelsPerUnit}; }
    // A white picture of this size.
    static QImage BlankPicture(QSize size);
    // The picture on a white ground, opaque; a null picture gives a blank one of blankSize.
    static QImage OnWhite(const QImage& picture, QSize blankSize);

    virtual ~SignatureCapture() = default;
    virtual void Clear() = 0;
    virtual QImage Picture() const = 0;
    // A null picture clears the pad.
    virtual void SetPicture(const QImage& picture) = 0;
    virtual QSize PictureSize() const = 0;
};

// A pad that is only its picture.
class PictureSignatureCapture : public SignatureCapture {
public:
    PictureSignatureCapture() : m_picture(BlankPicture(DefaultPictureSize())) {}
    void Clear() override { m_picture = BlankPicture(m_picture.size()); }
    QImage Picture() const override { return m_picture.copy(); }
    void SetPicture(const QImage& picture) override;
    QSize PictureSize() const override { return m_picture.size(); }

private:
    QImage m_picture;
};

// The two pads of the signing page: 1 the client's (TMSFMXSignatureCapture1), 2 the mechanic's
// (TMSFMXSignatureCapture2).
class SignaturePads {
public:
    SignatureCapture& Client() { return *m_client; }
    SignatureCapture& Mechanic() { return *m_mechanic; }
    SignatureCapture& Pad(int n) { return n == 2 ? *m_mechanic : *m_client; }
    // The window hands over its pad widgets (null: the plain pictures again); each takes the
    // picture of the pad it replaces. They must be handed back before they go.
    void Attach(SignatureCapture* client, SignatureCapture* mechanic);

private:
    PictureSignatureCapture m_ownClient, m_ownMechanic;
    SignatureCapture* m_client = &m_ownClient;
    SignatureCapture* m_mechanic = &m_ownMechanic;
};
