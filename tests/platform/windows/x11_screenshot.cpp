#include "tests/platform/windows/x11_screenshot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

bool GrabX11Root(int* width, int* height, std::vector<uint32_t>* pixels) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image = XGetImage(display, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height),
                            AllPlanes, ZPixmap);
  if (!image) {
    XCloseDisplay(display);
    return false;
  }
  *width = attributes.width;
  *height = attributes.height;
  pixels->resize(size_t(*width) * *height);
  for (int v = 0; v < *height; ++v)
    for (int h = 0; h < *width; ++h) (*pixels)[size_t(v) * *width + h] = XGetPixel(image, h, v) & 0xFFFFFF;
  XDestroyImage(image);
  XCloseDisplay(display);
  return true;
}
