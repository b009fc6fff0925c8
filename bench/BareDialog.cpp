// The start-up bench's peer: a bare Qt dialog with a tab widget of four empty
// pages, about the size of the monitor's window, run as a program.

#include <QApplication>
#include <QDialog>
#include <QTabWidget>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle("Bare dialog");
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    for (const char* name : {"Log", "Email", "Curve", "Setting"}) {
        tabs->addTab(new QWidget(tabs), name);
    }
    tabs->setCurrentIndex(2);
    layout->addWidget(tabs);
    dialog.resize(750, 566);
    return dialog.exec();
}
