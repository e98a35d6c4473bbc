#pragma once

// The core's built-in files (language tables, images, the database schema) live in a resource
// file compiled into a static library, which the linker would drop unless it is registered
// explicitly. Safe to call any number of times.
void InitCoreResources();

class QImage;
class QString;
// An image of the built-in files (registers them first), read by Qt's own reader for the
// format its name ends in: left to detect the format, Qt would load and ask every image
// plug-in first.
QImage ResourceImage(const QString& path);
