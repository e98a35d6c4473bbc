#include "CameraCapture.h"

#include <QCamera>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVideoFrame>
#include <QVideoSink>

namespace CameraCapture {

bool HasCamera() { return !QMediaDevices::videoInputs().isEmpty(); }

void WhenCamerasChange(QObject* context, std::function<void()> fn)
{
    auto* devices = new QMediaDevices(context);
    QObject::connect(devices, &QMediaDevices::videoInputsChanged, context, [fn = std::move(fn)] { fn(); });
}

QImage TakePicture(QWidget* parent)
{
    if (!HasCamera())
        return {};
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("CameraDialog"));
    dialog.setWindowTitle(QStringLiteral("Camera"));
    if (parent)
        dialog.resize(parent->window()->size());
    auto* v = new QVBoxLayout(&dialog);
    auto* preview = new QLabel(&dialog);
    preview->setAlignment(Qt::AlignCenter);
    preview->setMinimumSize(320, 240);
    preview->setStyleSheet(QStringLiteral("background: black;"));
    v->addWidget(preview, 1);
    auto* buttons = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("Terug"), &dialog);
    auto* take = new QPushButton(QStringLiteral("Foto"), &dialog);
    take->setEnabled(false);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(take);
    v->addLayout(buttons);

    QCamera camera(QMediaDevices::defaultVideoInput());
    QMediaCaptureSession session;
    QVideoSink sink;
    session.setCamera(&camera);
    session.setVideoSink(&sink);
    QImage last;
    QObject::connect(&sink, &QVideoSink::videoFrameChanged, &dialog, [&](const QVideoFrame& frame) {
        last = frame.toImage();
        if (last.isNull())
            return;
        take->setEnabled(true);
        preview->setPixmap(QPixmap::fromImage(last.scaled(preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    });
    QObject::connect(back, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(take, &QPushButton::clicked, &dialog, &QDialog::accept);
    camera.start();
    const bool taken = dialog.exec() == QDialog::Accepted;
    camera.stop();
    return taken ? last.copy() : QImage();
}

} // namespace CameraCapture
