#pragma once

#include <QWidget>

// Placeholder window until the graph work lands.
class Form3 : public QWidget {
public:
    explicit Form3(QWidget* parent = nullptr);
};
