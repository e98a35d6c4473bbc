#pragma once
#include <QObject>

class QMediaPlayer;
class QAudioOutput;

// The single sound player: a new sound replaces the one that is playing.
class KVSoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit KVSoundPlayer(QObject* parent = nullptr);
    void Play(const QString& path);

private:
    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_output = nullptr;
};
