#pragma once
#include "DurableFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

// Every side effect of the core that a person would notice goes through one of these.
// The ui fills them with message boxes, a media player and the desktop; tests fill them
// with recorders and a fixed clock. An empty function does nothing (or, for the clock,
// reads the local clock).
struct Seams {
    // A modal message with one OK button.
    std::function<void(const QString& text)> showMessage;
    // A yes/no question; returns true for yes.
    std::function<bool(const QString& text)> confirm;
    // Plays the sound file at this absolute path; returns at once.
    std::function<void(const QString& path)> playSound;
    // The local clock.
    std::function<QDateTime()> now;
    // Starts the desktop mail program with this argument list (never a shell string);
    // returns the program's exit code, or -1 when it could not be started.
    std::function<int(const QString& program, const QStringList& args)> runMailApp;
    // Opens a web address in the default browser; returns false when nothing could open it.
    std::function<bool(const QUrl& url)> openUrl;
    // The folder of the data files an installed package keeps beside the program (the template
    // database and the sounds), or an empty text when there is none.
    std::function<QString()> installedDataFolder;
    // The system calls with which the settings file is replaced.
    FileCalls files;

    void ShowMessage(const QString& text) const { if (showMessage) showMessage(text); }
    bool Confirm(const QString& text) const { return confirm ? confirm(text) : true; }
    void PlaySound(const QString& path) const { if (playSound) playSound(path); }
    QDateTime Now() const { return now ? now() : QDateTime::currentDateTime(); }
    QString InstalledDataFolder() const { return installedDataFolder ? installedDataFolder() : QString(); }
};
