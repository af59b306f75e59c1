#pragma once

// Fonts need a GUI application: a headless program gets an offscreen one, made once, before
// the first figure with text is painted.
void EnsureGuiApplication();
