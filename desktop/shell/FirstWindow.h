#pragma once

#include <QWidget>

#include <memory>

// The window the program opens first, made here and nowhere else.
std::unique_ptr<QWidget> CreateFirstWindow();
