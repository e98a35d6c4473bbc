#include "KVSoundPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

KVSoundPlayer::KVSoundPlayer(QObject* parent) : QObject(parent) {}

void KVSoundPlayer::Play(const QString& path)
{
    // Created on first use, so a window that never plays a sound never opens the audio device.
    if (!m_player) {
        m_player = new QMediaPlayer(this);
        m_output = new QAudioOutput(this);
        m_player->setAudioOutput(m_output);
        m_player->setObjectName(QStringLiteral("MediaPlayer1"));
    }
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(path));
    m_player->play();
}
