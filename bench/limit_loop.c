// The floor that bench/allidx holds the conversion of all thread indexes against: a durable
// copy of a log tree that does nothing else. Reads every file under SOURCE, writes each into the
// same place under TARGET through an unnamed O_TMPFILE that takes its name with linkat once
// whole, with N threads, then one syncfs. No conversion, no look at existing targets, no backup:
// whatever the conversion takes beyond this is its own cost. Linux only; kept here, not built by
// CMake, so that the benchmark needs nothing outside the repository.
//
//   cc -O2 -pthread -o limit-loop bench/limit_loop.c
//   limit-loop SOURCE_LOG_FOLDER TARGET_LOG_FOLDER [THREADS=4]
//
// Time it on the same file system as the conversion, each until its files are on disk.
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static char **files;
static size_t file_count, capacity, next_file;
static pthread_mutex_t next_lock = PTHREAD_MUTEX_INITIALIZER;
static const char *source, *target;
static size_t source_length;

// Lists the files below `folder` and makes the matching folders under the target.
static void list_tree(const char *folder) {
  DIR *dir = opendir(folder);
  if (!dir) return;
  struct dirent *entry;
  while ((entry = readdir(dir))) {
    if (entry->d_name[0] == '.') continue;
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", folder, entry->d_name);
    if (entry->d_type == DT_DIR) {
      char mirror[4096];
      snprintf(mirror, sizeof mirror, "%s%s", target, path + source_length);
      mkdir(mirror, 0777);
      list_tree(path);
    } else {
      if (file_count == capacity) files = realloc(files, (capacity = capacity ? capacity * 2 : 1024) * sizeof *files);
      files[file_count++] = strdup(path);
    }
  }
  closedir(dir);
}

static void *copy_files(void *unused) {
  (void)unused;
  char bytes[65536];
  for (;;) {
    pthread_mutex_lock(&next_lock);
    size_t i = next_file++;
    pthread_mutex_unlock(&next_lock);
    if (i >= file_count) return NULL;
    int in = open(files[i], O_RDONLY);
    ssize_t n = in < 0 ? -1 : read(in, bytes, sizeof bytes);
    if (in >= 0) close(in);
    if (n < 0) continue;
    char mirror[4096], folder[4096], handle[64];
    snprintf(mirror, sizeof mirror, "%s%s", target, files[i] + source_length);
    strcpy(folder, mirror);
    *strrchr(folder, '/') = 0;
    int out = open(folder, O_TMPFILE | O_WRONLY, 0666);
    if (out < 0) continue;
    if (write(out, bytes, (size_t)n) == n) {
      snprintf(handle, sizeof handle, "/proc/self/fd/%d", out);
      linkat(AT_FDCWD, handle, AT_FDCWD, mirror, AT_SYMLINK_FOLLOW);
    }
    close(out);
  }
}

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: limit-loop SOURCE_LOG_FOLDER TARGET_LOG_FOLDER [THREADS]\n");
    return 2;
  }
  source = argv[1];
  target = argv[2];
  source_length = strlen(source);
  int threads = argc > 3 ? atoi(argv[3]) : 4;
  if (threads < 1 || threads > 64) threads = 4;
  char made[4096];  // the target and any missing folder above it
  snprintf(made, sizeof made, "%s", target);
  for (char *slash = strchr(made + 1, '/'); slash; slash = strchr(slash + 1, '/')) {
    *slash = 0;
    mkdir(made, 0777);
    *slash = '/';
  }
  mkdir(made, 0777);
  list_tree(source);
  pthread_t workers[64];
  for (int i = 0; i < threads; i++) pthread_create(&workers[i], NULL, copy_files, NULL);
  for (int i = 0; i < threads; i++) pthread_join(workers[i], NULL);
  int fd = open(target, O_RDONLY);
  syncfs(fd);
  close(fd);
  return 0;
}
