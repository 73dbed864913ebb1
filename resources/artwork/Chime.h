#pragma once
#include <QByteArray>

// A short rising chime (C, E, G, C ringing into a chord), as a 16-bit mono 44.1 kHz WAV file.
QByteArray MakeChimeWav();
