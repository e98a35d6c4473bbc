#pragma once
#include <QImage>
#include <functional>

class QObject;
class QWidget;

// The device camera, through Qt Multimedia. Where no camera is found, taking photos is simply
// not offered.
namespace CameraCapture {

bool HasCamera();
// Calls fn whenever cameras come or go, for as long as context lives.
void WhenCamerasChange(QObject* context, std::function<void()> fn);
// Shows the camera's picture full-window until the user takes a photo (returned) or goes back
// (a null image).
QImage TakePicture(QWidget* parent);

} // namespace CameraCapture
