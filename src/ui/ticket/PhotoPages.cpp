#include "PhotoPages.h"

#include "CameraCapture.h"
#include "PageParts.h"
#include "TicketEditor.h"
#include "app/KVGlobal.h"
#include "app/TFMain.h"
#include "ticket/Photos.h"

#include <QFileDialog>
#include <QGestureEvent>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QImageReader>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace PageParts;

namespace {
const QString kMain = QStringLiteral("TabItemMain");
constexpr int kItemHeight = 90;
constexpr int kLongPressMs = 600;
constexpr int kDescriptionRole = Qt::UserRole + 1;

// TableViewFotoItemCustomize: items 90 high on solid silver, the picture at the left, the file
// name as caption and the description below it.
class PhotoItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), kItemHeight};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        p->save();
        const QRect r = option.rect.adjusted(0, 0, 0, -1);
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(r, QColor(0xC0, 0xC0, 0xC0));
        if (selected) {
            p->setPen(QPen(QColor(0x1F, 0x4E, 0x79), 3));
            p->drawRect(r.adjusted(1, 1, -2, -2));
        }
        const int margin = 8;
        const QRect pictureRect(r.x() + margin, r.y() + margin, (r.height() - 2 * margin) * 4 / 3, r.height() - 2 * margin);
        const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
        if (!picture.isNull()) {
            const QPixmap scaled = picture.scaled(pictureRect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
            p->drawPixmap(pictureRect.x() + (pictureRect.width() - scaled.width()) / 2,
                          pictureRect.y() + (pictureRect.height() - scaled.height()) / 2, scaled);
        }
        const int x = pictureRect.right() + 2 * margin;
        const QRect textRect(x, r.y() + margin, r.right() - x - margin, r.height() - 2 * margin);
        QFont f = option.font;
        f.setBold(true);
        p->setFont(f);
        p->setPen(QColor(0x22, 0x22, 0x22));
        const QFontMetrics bold(f);
        const QRect captionRect(textRect.x(), textRect.y(), textRect.width(), bold.height());
        p->drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter,
                    bold.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, captionRect.width()));
        p->setFont(option.font);
        p->setPen(QColor(0x33, 0x33, 0x33));
        const QRect descRect(textRect.x(), captionRect.bottom() + 4, textRect.width(), textRect.bottom() - captionRect.bottom() - 4);
        p->drawText(descRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, index.data(kDescriptionRole).toString());
        p->restore();
    }
};

QString defaultChooseFile(QWidget* parent, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, QString(), folder,
                                        QStringLiteral("*.jpg *.jpeg *.png *.bmp *.gif *.webp;;*"));
}
}

QImage MissingPhotoPicture(QSize size)
{
    if (size.isEmpty())
        size = QSize(400, 300);
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xE4, 0xE4, 0xE4));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int s = std::min(size.width(), size.height()) / 2;
    const QRect frame((size.width() - s) / 2, (size.height() - s * 3 / 4) / 2, s, s * 3 / 4);
    p.setPen(QPen(QColor(0x99, 0x99, 0x99), std::max(2, s / 20)));
    p.drawRoundedRect(frame, s / 12, s / 12);
    p.drawPolyline(QPolygon({QPoint(frame.left() + s / 8, frame.bottom() - s / 8),
                             QPoint(frame.left() + s * 3 / 8, frame.top() + s * 3 / 8),
                             QPoint(frame.left() + s * 5 / 8, frame.bottom() - s / 4),
                             QPoint(frame.right() - s / 8, frame.top() + s / 4)}));
    p.setPen(QPen(QColor(0xC0, 0x39, 0x2B), std::max(2, s / 16)));
    p.drawLine(frame.topLeft(), frame.bottomRight());
    return image;
}

// ---- photo page -----------------------------------------------------------------------------

PhotoPage::PhotoPage(TicketEditor& editor) : KVPage(QStringLiteral("TabItemFoto")), m_editor(editor), m_g(editor.g())
{
    KVJargon& j = m_g.jargon;
    const auto [back, ok] = SetUpTopBar(j, this, QStringLiteral("LabelFotos"), QStringLiteral("Foto's"),
                                        QStringLiteral("SBFotosTerug"), QStringLiteral("SBFotosOK"));
    m_list = new QListWidget(body());
    m_list->setObjectName(QStringLiteral("TableViewFoto"));
    m_list->setItemDelegate(new PhotoItemDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setSpacing(2);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setStyleSheet(QStringLiteral("QListWidget { background: #EFEFF4; }"));
    m_list->viewport()->installEventFilter(this);
    m_list->viewport()->grabGesture(Qt::TapAndHoldGesture);
    bodyLayout()->addWidget(m_list, 1);

    KVSpeedButton* del = addBottomButton(QStringLiteral("SBDeleteFoto"), QString());
    BindCaption(j, del, QStringLiteral("SBDeleteFoto"), QStringLiteral("Verwijderen"));
    SetIcon(del, TrashIcon());
    m_camera = addBottomButton(QStringLiteral("SBAddCamera"), QString());
    SetIcon(m_camera, CameraIcon());
    m_camera->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_camera->setIconSize(QSize(30, 30));
    KVSpeedButton* add = addBottomButton(QStringLiteral("SBAddFoto"), QStringLiteral("+"));
    add->setStyleSheet(QStringLiteral("font-size: 28px; font-weight: bold;"));

    ChooseFile = [this](const QString& folder) { return defaultChooseFile(this, folder); };
    TakePicture = [this] { return CameraCapture::TakePicture(this); };
    UpdateCameraButton();
    CameraCapture::WhenCamerasChange(this, [this] { UpdateCameraButton(); });

    m_longPress.setSingleShot(true);
    m_longPress.setInterval(kLongPressMs);
    connect(&m_longPress, &QTimer::timeout, this, &PhotoPage::TableViewFotoGesture);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { TableViewFotoGesture(); });
    connect(del, &QToolButton::clicked, this, &PhotoPage::SBDeleteFotoClick);
    connect(m_camera, &QToolButton::clicked, this, &PhotoPage::SBAddCameraClick);
    connect(add, &QToolButton::clicked, this, &PhotoPage::SBAddFotoClick);
    connect(back, &QToolButton::clicked, this, [this] { m_editor.main().ShowPage(kMain); });
    connect(ok, &QToolButton::clicked, this, &PhotoPage::SBFotosOKClick);
}

void PhotoPage::UpdateCameraButton() { m_camera->setVisible(CameraCapture::HasCamera()); }

void PhotoPage::Open()
{
    FillPhotoList();
    m_editor.main().ShowPage(objectName());
}

void PhotoPage::FillPhotoList()
{
    m_list->clear();
    const TBon& b = m_g.bon;
    for (int k = 1; k <= std::min(b.numfoto, Photos::MaxPhotos); ++k) {
        QImage picture = Photos::LoadPhoto(m_g, b.foto[k]);
        if (picture.isNull())
            picture = MissingPhotoPicture(QSize(160, 120));
        auto* item = new QListWidgetItem(b.foto[k], m_list);
        item->setData(Qt::DecorationRole,
                      QPixmap::fromImage(picture.scaled(160, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        item->setData(kDescriptionRole, b.desc[k]);
    }
}

int PhotoPage::SelectedIndex() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void PhotoPage::SBAddFotoClick()
{
    if (Photos::LimitReached(m_g))
        return;
    const QString file = ChooseFile ? ChooseFile(m_g.DocumentsFolder()) : QString();
    if (file.isEmpty())
        return;
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        m_g.seams.ShowMessage(reader.errorString());
        return;
    }
    TakePhotoFromLibraryAction1DidFinishTaking(picture);
}

void PhotoPage::SBAddCameraClick()
{
    if (Photos::LimitReached(m_g))
        return;
    const QImage picture = TakePicture ? TakePicture() : QImage();
    if (!picture.isNull())
        TakePhotoFromLibraryAction1DidFinishTaking(picture);
}

void PhotoPage::TakePhotoFromLibraryAction1DidFinishTaking(const QImage& picture)
{
    if (m_g.LogoPickPending && LogoPicture) {
        LogoPicture(picture);
        return;
    }
    if (Photos::AddPhoto(m_g, picture).isEmpty())
        return;
    FillPhotoList();
    m_list->scrollToBottom();
}

void PhotoPage::SBDeleteFotoClick()
{
    const int index = SelectedIndex();
    if (index < 0)
        return;
    Photos::DeletePhoto(m_g, index);
    FillPhotoList();
    m_g.bon.numfoto = m_list->count();
}

void PhotoPage::SBFotosOKClick()
{
    m_g.bon.numfoto = m_list->count();
    m_editor.FinishBon();
}

void PhotoPage::TableViewFotoGesture()
{
    m_longPress.stop();
    const int index = SelectedIndex();
    if (index >= 0)
        m_editor.image()->Open(index);
}

bool PhotoPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                m_longPress.start();
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            m_longPress.stop();
            break;
        case QEvent::MouseMove:
            if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
                break;
            m_longPress.stop(); // a drag is no long press
            break;
        case QEvent::Gesture: {
            auto* ge = static_cast<QGestureEvent*>(event);
            if (QGesture* gesture = ge->gesture(Qt::TapAndHoldGesture); gesture && gesture->state() == Qt::GestureFinished) {
                ge->accept(gesture);
                TableViewFotoGesture();
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return KVPage::eventFilter(watched, event);
}

// ---- image page -----------------------------------------------------------------------------

ImagePage::ImagePage(TicketEditor& editor) : KVPage(QStringLiteral("TabItemImage")), m_editor(editor), m_g(editor.g())
{
    KVJargon& j = m_g.jargon;
    const auto [back, ok] = SetUpTopBar(j, this, QStringLiteral("LabelImage"), QStringLiteral("Image"),
                                        QStringLiteral("SBImageTerug"), QStringLiteral("SBImageOK"));
    m_viewer = new QGraphicsView(body());
    m_viewer->setObjectName(QStringLiteral("ImageViewer1"));
    m_viewer->setScene(new QGraphicsScene(m_viewer));
    m_item = m_viewer->scene()->addPixmap(QPixmap());
    m_item->setTransformationMode(Qt::SmoothTransformation);
    m_viewer->setDragMode(QGraphicsView::ScrollHandDrag);
    m_viewer->setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    m_viewer->setBackgroundBrush(QColor(0x30, 0x30, 0x30));
    m_viewer->setFrameShape(QFrame::NoFrame);
    m_viewer->viewport()->installEventFilter(this);
    m_viewer->viewport()->grabGesture(Qt::PinchGesture);
    bodyLayout()->addWidget(m_viewer, 1);
    m_memo = new QPlainTextEdit(body());
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setFixedHeight(96);
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    bodyLayout()->addWidget(m_memo);

    connect(back, &QToolButton::clicked, this, [this] { m_editor.main().ShowPage(QStringLiteral("TabItemFoto")); });
    connect(ok, &QToolButton::clicked, this, &ImagePage::SBImageOKClick);
}

void ImagePage::Open(int index)
{
    const TBon& b = m_g.bon;
    if (index < 0 || index >= std::min(b.numfoto, Photos::MaxPhotos))
        return;
    m_index = index;
    const QString& name = b.foto[index + 1];
    m_shown = Photos::LoadPhoto(m_g, name);
    if (m_shown.isNull())
        m_shown = MissingPhotoPicture(QSize(800, 600));
    m_item->setPixmap(QPixmap::fromImage(m_shown));
    m_viewer->scene()->setSceneRect(m_item->boundingRect());
    topBar()->title()->setText(name);
    m_memo->setPlainText(b.desc[index + 1]);
    m_editor.main().ShowPage(objectName());
    m_zoomed = false;
    fit();
}

void ImagePage::fit()
{
    if (!m_zoomed && !m_item->pixmap().isNull())
        m_viewer->fitInView(m_item, Qt::KeepAspectRatio);
}

void ImagePage::SBImageOKClick()
{
    if (m_index >= 0 && m_index < std::min(m_g.bon.numfoto, Photos::MaxPhotos))
        m_g.bon.desc[m_index + 1] = m_memo->toPlainText();
    m_editor.photos()->FillPhotoList();
    if (m_index >= 0 && m_index < m_editor.photos()->TableViewFoto()->count())
        m_editor.photos()->TableViewFoto()->setCurrentRow(m_index);
    m_editor.main().ShowPage(QStringLiteral("TabItemFoto"));
}

bool ImagePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_viewer->viewport()) {
        switch (event->type()) {
        case QEvent::Resize:
            fit();
            break;
        case QEvent::Wheel: {
            // The wheel zooms, as a pinch does.
            const double factor = static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? 1.25 : 0.8;
            m_zoomed = true;
            m_viewer->scale(factor, factor);
            return true;
        }
        case QEvent::Gesture: {
            auto* ge = static_cast<QGestureEvent*>(event);
            if (auto* pinch = static_cast<QPinchGesture*>(ge->gesture(Qt::PinchGesture))) {
                m_zoomed = true;
                const double f = pinch->scaleFactor();
                m_viewer->scale(f, f);
                ge->accept(pinch);
                return true;
            }
            break;
        }
        case QEvent::MouseButtonDblClick:
            // A double tap fits the photo again.
            m_zoomed = false;
            fit();
            return true;
        default:
            break;
        }
    }
    return KVPage::eventFilter(watched, event);
}
