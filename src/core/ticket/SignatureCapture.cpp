#include "SignatureCapture.h"

#include <QPainter>

QImage SignatureCapture::BlankPicture(QSize size)
{
    if (size.isEmpty())
        size = DefaultPictureSize();
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

QImage SignatureCapture::OnWhite(const QImage& picture, QSize blankSize)
{
    if (picture.isNull())
        return BlankPicture(blankSize);
    // Transparent parts of a picture made elsewhere become white, not black.
    QImage result = BlankPicture(picture.size());
    QPainter p(&result);
    p.drawImage(0, 0, picture);
    return result;
}

void PictureSignatureCapture::SetPicture(const QImage& picture)
{
    m_picture = OnWhite(picture, m_picture.size());
}

void SignaturePads::Attach(SignatureCapture* client, SignatureCapture* mechanic)
{
    // The pads taking over hold what the ticket had on the ones they replace.
    const auto takeOver = [](SignatureCapture*& current, SignatureCapture* next) {
        if (next != current)
            next->SetPicture(current->Picture());
        current = next;
    };
    takeOver(m_client, client ? client : &m_ownClient);
    takeOver(m_mechanic, mechanic ? mechanic : &m_ownMechanic);
}
