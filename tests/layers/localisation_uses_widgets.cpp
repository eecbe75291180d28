// Localisation is QtCore only: widgets are out of its reach.
#include <QWidget>

int probe() { return QWidget().width(); }
