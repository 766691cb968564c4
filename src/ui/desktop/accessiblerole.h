#pragma once
// A plain container widget read out by assistive technology in a role of its own (a status
// bar, a tool bar) rather than as an anonymous grouping.

#include <QAccessible>

class QWidget;

void setAccessibleRole(QWidget *widget, QAccessible::Role role);
