// A read-only view of a disc folder that reads like a DVD drive: a steady rate, a seek delay
// whenever a read does not go on from within what the last one read, a spin-up after the drive has idled,
// and scratched sector ranges whose reads fail with EIO after the drive's retries.
// Usage: slow_drive SOURCE MOUNTPOINT [--rate=BYTES_PER_S] [--seek-ms=N] [--spin-up-ms=N]
//        [--idle-ms=N] [--error-ms=N] [--bad=FILE:FIRST-LAST]... [--log=FILE]
// Sectors are of 2048 bytes; FILE is a name in any folder, without regard to case. The drive
// starts spun down. Runs in the background once mounted; fusermount3 -u takes it away.
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#define SECTOR 2048
#define MAX_BAD 32

struct bad_range {
    char name[256];
    long long first, last;
};

static struct {
    char source[4096];
    long long rate, seek_ms, spin_up_ms, idle_ms, error_ms;
    struct bad_range bad[MAX_BAD];
    int bad_count;
    FILE* log;
    // The head: what the last read covered (the drive's buffer still holds it), and when the
    // drive last worked.
    char last_path[4096];
    long long last_start, last_end;
    double last_busy;  // seconds; 0 while spun down from the start
} drive;

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static void wait_ms(double ms)
{
    if (ms <= 0) return;
    struct timespec t = {(time_t)(ms / 1000), (long)((ms - (long long)(ms / 1000) * 1000) * 1e6)};
    while (nanosleep(&t, &t) == -1 && errno == EINTR) {}
}

static void source_path(char* out, size_t size, const char* path)
{
    snprintf(out, size, "%s%s", drive.source, path);
}

static int slow_getattr(const char* path, struct stat* st, struct fuse_file_info* fi)
{
    char real[8192];
    source_path(real, sizeof real, path);
    if (lstat(real, st) == -1) return -errno;
    st->st_mode &= ~0222;
    return 0;
}

static int slow_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset,
                        struct fuse_file_info* fi, enum fuse_readdir_flags flags)
{
    char real[8192];
    source_path(real, sizeof real, path);
    DIR* dir = opendir(real);
    if (!dir) return -errno;
    for (struct dirent* e; (e = readdir(dir));) {
        if (fill(buf, e->d_name, NULL, 0, 0)) break;
    }
    closedir(dir);
    return 0;
}

static int slow_open(const char* path, struct fuse_file_info* fi)
{
    if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    char real[8192];
    source_path(real, sizeof real, path);
    int fd = open(real, O_RDONLY);
    if (fd == -1) return -errno;
    fi->fh = (uint64_t)fd;
    // Every read reaches the drive as the program asked for it, past any cache.
    fi->direct_io = 1;
    return 0;
}

static int is_bad(const char* path, off_t offset, size_t size)
{
    const char* name = strrchr(path, '/');
    name = name ? name + 1 : path;
    long long first = offset / SECTOR, last = (offset + (long long)size - 1) / SECTOR;
    for (int i = 0; i < drive.bad_count; ++i) {
        const struct bad_range* b = &drive.bad[i];
        if (strcasecmp(b->name, name) == 0 && first <= b->last && last >= b->first) return 1;
    }
    return 0;
}

static int slow_read(const char* path, char* buf, size_t size, off_t offset, struct fuse_file_info* fi)
{
    double start = now();
    if (drive.spin_up_ms > 0 && (drive.last_busy == 0 || (start - drive.last_busy) * 1000 > drive.idle_ms))
        wait_ms(drive.spin_up_ms);
    if (strcmp(path, drive.last_path) != 0 || offset < drive.last_start || offset > drive.last_end)
        wait_ms(drive.seek_ms);
    snprintf(drive.last_path, sizeof drive.last_path, "%s", path);
    drive.last_start = offset;
    int result;
    if (is_bad(path, offset, size)) {
        wait_ms(drive.error_ms);
        drive.last_end = -1;
        result = -EIO;
    } else {
        ssize_t got = pread((int)fi->fh, buf, size, offset);
        result = got == -1 ? -errno : (int)got;
        if (got > 0 && drive.rate > 0) wait_ms(got * 1000.0 / drive.rate);
        drive.last_end = offset + (got > 0 ? got : 0);
    }
    drive.last_busy = now();
    if (drive.log) {
        fprintf(drive.log, "%s %lld %zu %d %.0f\n", path, (long long)offset, size, result,
                (drive.last_busy - start) * 1000);
        fflush(drive.log);
    }
    return result;
}

static int slow_release(const char* path, struct fuse_file_info* fi)
{
    close((int)fi->fh);
    return 0;
}

static const struct fuse_operations operations = {
    .getattr = slow_getattr,
    .readdir = slow_readdir,
    .open = slow_open,
    .read = slow_read,
    .release = slow_release,
};

static int option(const char* arg, const char* name, long long* value)
{
    size_t n = strlen(name);
    if (strncmp(arg, name, n) != 0 || arg[n] != '=') return 0;
    *value = atoll(arg + n + 1);
    return 1;
}

static int bad_range(const char* arg)
{
    if (strncmp(arg, "--bad=", 6) != 0 || drive.bad_count == MAX_BAD) return 0;
    struct bad_range* b = &drive.bad[drive.bad_count];
    if (sscanf(arg + 6, "%255[^:]:%lld-%lld", b->name, &b->first, &b->last) != 3) return 0;
    ++drive.bad_count;
    return 1;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s SOURCE MOUNTPOINT [--rate=N] [--seek-ms=N] [--spin-up-ms=N] [--idle-ms=N] "
                        "[--error-ms=N] [--bad=FILE:FIRST-LAST]... [--log=FILE]\n", argv[0]);
        return 2;
    }
    if (!realpath(argv[1], drive.source)) {
        perror(argv[1]);
        return 2;
    }
    drive.idle_ms = 5000;
    for (int i = 3; i < argc; ++i) {
        const char* a = argv[i];
        if (option(a, "--rate", &drive.rate) || option(a, "--seek-ms", &drive.seek_ms) ||
            option(a, "--spin-up-ms", &drive.spin_up_ms) || option(a, "--idle-ms", &drive.idle_ms) ||
            option(a, "--error-ms", &drive.error_ms) || bad_range(a))
            continue;
        if (strncmp(a, "--log=", 6) == 0 && (drive.log = fopen(a + 6, "w"))) continue;
        fprintf(stderr, "%s: bad option %s\n", argv[0], a);
        return 2;
    }
    drive.last_end = -1;
    // One request at a time, as a drive has one head.
    char* fuse_argv[] = {argv[0], argv[2], "-s", "-o", "ro,fsname=slowdrive,default_permissions", NULL};
    return fuse_main(5, fuse_argv, &operations, NULL);
}
