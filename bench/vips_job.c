/* bench/vips_job.c: the captioning job done in-process by libvips, as a
 * peer to measure zelventa-batch against. For every picture: load shrunk
 * to height 600 (libvips picks the reduced JPEG decode itself), turn the
 * ones given after --turn, insert a 300 x 40 #202020 box with 26 px white
 * text 10 px from the bottom-right corner, save JPEG quality 90 at 72 DPI.
 *
 * usage: vips_job OUTDIR [PICTURE...] [--turn PICTURE...]
 * VIPS_CONCURRENCY=1 limits it to one worker thread. */
#include <vips/vips.h>

#include <stdio.h>
#include <string.h>

static VipsImage *caption_box(VipsObject *scope)
{
    VipsImage **t = (VipsImage **)vips_object_local_array(scope, 6);
    double one[3] = {1, 1, 1}, back[3] = {32, 32, 32}, white[3] = {255, 255, 255};
    /* The text mask blends white over the box. */
    if (vips_black(&t[0], 300, 40, "bands", 3, NULL) || vips_linear(t[0], &t[1], one, back, 3, NULL) ||
        vips_linear(t[0], &t[2], one, white, 3, NULL) ||
        vips_text(&t[3], "Zelventa 2026", "font", "Liberation Sans 26px", "dpi", 72, NULL) ||
        vips_gravity(t[3], &t[4], VIPS_COMPASS_DIRECTION_CENTRE, 300, 40, NULL) ||
        vips_ifthenelse(t[4], t[2], t[1], &t[5], "blend", TRUE, NULL))
        return NULL;
    return t[5];
}

static int one(const char *in, const char *outdir, int turn, VipsImage *box)
{
    VipsObject *scope = VIPS_OBJECT(vips_image_new());
    VipsImage **t = (VipsImage **)vips_object_local_array(scope, 6);
    char out[4096];
    const char *slash = strrchr(in, '/');
    snprintf(out, sizeof(out), "%s/%s", outdir, slash ? slash + 1 : in);
    /* A turned picture is shrunk to width 600 first; the turn needs the
     * small result in memory, since the load reads the file in order. */
    int err = vips_thumbnail(in, &t[0], turn ? 600 : 100000, "height", turn ? 100000 : 600, "no_rotate", TRUE,
                             NULL) ||
              (t[5] = vips_image_copy_memory(t[0])) == NULL ||
              vips_rot(t[5], &t[1], turn ? VIPS_ANGLE_D90 : VIPS_ANGLE_D0, NULL) ||
              vips_insert(t[1], box, &t[2], t[1]->Xsize - 310, t[1]->Ysize - 50, NULL) ||
              vips_cast(t[2], &t[3], VIPS_FORMAT_UCHAR, NULL) ||
              vips_copy(t[3], &t[4], "xres", 72 / 25.4, "yres", 72 / 25.4, NULL) ||
              vips_jpegsave(t[4], out, "Q", 90, NULL);
    if (err)
        fprintf(stderr, "%s: %s\n", in, vips_error_buffer());
    g_object_unref(scope);
    return err;
}

int main(int argc, char **argv)
{
    if (VIPS_INIT(argv[0]) || argc < 3) {
        fprintf(stderr, "usage: vips_job OUTDIR [PICTURE...] [--turn PICTURE...]\n");
        return 2;
    }
    VipsObject *scope = VIPS_OBJECT(vips_image_new());
    VipsImage *box = caption_box(scope);
    if (!box) {
        fprintf(stderr, "%s\n", vips_error_buffer());
        return 1;
    }
    int turn = 0, failed = 0;
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "--turn") == 0)
            turn = 1;
        else
            failed |= one(argv[i], argv[1], turn, box);
    }
    g_object_unref(scope);
    vips_shutdown();
    return failed;
}
