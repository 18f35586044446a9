#pragma once

#include <QWidget>

// Placeholder window until the graph work lands.
class Form2 : public QWidget {
public:
    explicit Form2(QWidget* parent = nullptr);
};
