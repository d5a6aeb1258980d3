#pragma once

class QMenuBar;
class QWidget;

// The program's menu bar, made for each document window. Every item sends
// its action up that window's responders (the document, then the
// application delegate and the document controller).
class SWMainMenu {
public:
    static QMenuBar* build(QWidget* window);
};
