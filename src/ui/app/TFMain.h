#pragma once
#include "app/KVGlobal.h"

#include <QMainWindow>
#include <memory>

class QStackedWidget;

// The main window: one page stack (TabControl1) holding every page of the application.
class TFMain : public QMainWindow {
    Q_OBJECT
public:
    TFMain(Edition edition, const QString& documentsFolder, QWidget* parent = nullptr);
    ~TFMain() override;

    KVGlobal& global() { return *m_g; }
    QStackedWidget* TabControl1() const { return m_tabs; }

private:
    std::unique_ptr<KVGlobal> m_g;
    QStackedWidget* m_tabs = nullptr;
};
