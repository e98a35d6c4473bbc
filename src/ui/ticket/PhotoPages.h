#pragma once
#include "app/KVWidgets.h"

#include <QImage>
#include <functional>

class KVGlobal;
class TicketEditor;
class QGraphicsPixmapItem;
class QGraphicsView;
class QListWidget;
class QPlainTextEdit;

// The photo page TabItemFoto: the photos of the ticket with their names and descriptions;
// add from a file or the camera, delete, open one on the image page.
class PhotoPage : public KVPage {
    Q_OBJECT
public:
    explicit PhotoPage(TicketEditor& editor);

    // ListBoxItemFotoClick after the guard.
    void Open();
    void FillPhotoList();
    void SBAddFotoClick();
    void SBAddCameraClick();
    void SBDeleteFotoClick();
    void SBFotosOKClick();
    // Double tap or long press on a photo.
    void TableViewFotoGesture();
    // The end of a picker: the picture becomes a photo of the ticket (or the company logo).
    void TakePhotoFromLibraryAction1DidFinishTaking(const QImage& picture);

    QListWidget* TableViewFoto() const { return m_list; }
    // The selected photo (0-based), -1 when none is selected.
    int SelectedIndex() const;

    // The platform's pickers; tests replace them. ChooseFile returns the chosen file or an
    // empty text; TakePicture returns the camera's picture or a null image.
    std::function<QString(const QString& folder)> ChooseFile;
    std::function<QImage()> TakePicture;
    // Receives the picture while the company logo waits for one (LogoPickPending).
    std::function<void(const QImage&)> LogoPicture;
    // The camera button is there only while Qt Multimedia finds a camera.
    void UpdateCameraButton();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TicketEditor& m_editor;
    KVGlobal& m_g;
    QListWidget* m_list;
    KVSpeedButton* m_camera;
    QTimer m_longPress;
};

// The image page TabItemImage: one photo large, zoomable, with its description.
class ImagePage : public KVPage {
    Q_OBJECT
public:
    explicit ImagePage(TicketEditor& editor);
    // Shows photo index (0-based) of the ticket.
    void Open(int index);
    void SBImageOKClick();
    QPlainTextEdit* Memo1() const { return m_memo; }
    // What the viewer shows (the placeholder when the file is missing).
    QImage ShownPicture() const { return m_shown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit();
    TicketEditor& m_editor;
    KVGlobal& m_g;
    QGraphicsView* m_viewer;
    QGraphicsPixmapItem* m_item;
    QPlainTextEdit* m_memo;
    QImage m_shown;
    int m_index = -1;
    bool m_zoomed = false;
};

// The picture shown in place of a photo whose file is missing.
QImage MissingPhotoPicture(QSize size);
