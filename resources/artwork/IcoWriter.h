#pragma once
#include <QByteArray>
#include <QImage>
#include <vector>

// Windows icon files: every image stored as a 32-bit device-independent bitmap with its alpha channel
// and the 1-bit transparency mask older readers expect.
QByteArray EncodeIco(const std::vector<QImage>& images);
