// Build tool: writes the pixels of the program's icon, rendered to PNG from
// its SVG, as raw RGBA rows. The program then draws its icon with no image
// loader at all, and --once needs no GTK library.
//
//   keyscout_icon_pixels ICON.png SIZE OUTPUT.rgba
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <cstdlib>

int main(int argumentCount, char** arguments)
{
    if (argumentCount != 4)
    {
        fputs("usage: keyscout_icon_pixels ICON.png SIZE OUTPUT.rgba\n", stderr);
        return 2;
    }
    int size = atoi(arguments[2]);
    GError* error = nullptr;
    GdkPixbuf* icon = gdk_pixbuf_new_from_file(arguments[1], &error);
    if (!icon)
    {
        fprintf(stderr, "%s: %s\n", arguments[1], error->message);
        return 1;
    }
    if (gdk_pixbuf_get_width(icon) != size || gdk_pixbuf_get_height(icon) != size ||
        gdk_pixbuf_get_n_channels(icon) != 4 || gdk_pixbuf_get_bits_per_sample(icon) != 8)
    {
        fprintf(stderr, "%s: not a %dx%d RGBA image\n", arguments[1], size, size);
        return 1;
    }
    FILE* output = fopen(arguments[3], "wb");
    if (!output)
    {
        perror(arguments[3]);
        return 1;
    }
    // Rows may be padded in the pixbuf; the output has none.
    const guchar* pixels = gdk_pixbuf_read_pixels(icon);
    bool written = true;
    for (int row = 0; row < size; ++row)
        written = written && fwrite(pixels + row * gdk_pixbuf_get_rowstride(icon), 4, size, output) == static_cast<size_t>(size);
    if (fclose(output) != 0 || !written)
    {
        perror(arguments[3]);
        return 1;
    }
    g_object_unref(icon);
    return 0;
}
