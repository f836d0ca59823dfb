// The one-core floor of a walk: one thread, each folder opened relative to its parent, its
// entries read with getdents64 and each one statx'ed without following links, one file
// system, nothing kept. What any tool that lists files with their sizes must at least do.
//
//   floor DIR      prints the files, folders and bytes seen
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/syscall.h>
#include <unistd.h>

static unsigned long long files, folders, bytes;
static dev_t device;

struct linux_dirent64 {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

static void walk(int fd) {
    char buffer[32768];
    ++folders;
    for (;;) {
        const long n = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (n <= 0) break;
        for (long at = 0; at < n;) {
            const struct linux_dirent64* e = (const void*)(buffer + at);
            at += e->d_reclen;
            if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
            struct statx st;
            if (statx(fd, e->d_name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                      STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_BLOCKS | STATX_MTIME, &st) != 0)
                continue;
            if (S_ISDIR(st.stx_mode)) {
                if (makedev(st.stx_dev_major, st.stx_dev_minor) != device) continue;
                const int sub = openat(fd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sub >= 0) {
                    walk(sub);
                    close(sub);
                }
            } else if (S_ISREG(st.stx_mode)) {
                ++files;
                bytes += st.stx_size;
            }
        }
    }
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: floor DIR\n");
        return 2;
    }
    const int fd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        perror(argv[1]);
        return 1;
    }
    device = st.st_dev;
    walk(fd);
    printf("files %llu folders %llu bytes %llu\n", files, folders, bytes);
    return 0;
}
