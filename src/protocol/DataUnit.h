#pragma once

#include "TObject.h"

#include <QString>

// One frame's text in a connection queue: the producer creates it, the consumer frees it.
class TDataObject : public TObject {
public:
    explicit TDataObject(QString data = {}) : Data(std::move(data)) {}
    QString Data;
};
