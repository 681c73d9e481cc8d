#pragma once

#include <QIcon>

// Small pictures of the module and eye shapes a style offers, drawn by the
// renderer's own painters so they look exactly as the codes will.
QIcon moduleShapeIcon(int moduleShape);
QIcon eyeShapeIcon(int eyeShape);
