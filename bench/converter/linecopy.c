/* The floor of a line-by-line converter: copies every line of a file to FILE.out with
 * getline and fputs, nothing decoded. run.sh times it beside zelto2edt. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: linecopy FILE\n");
        return 2;
    }
    char out[4096];
    snprintf(out, sizeof out, "%s.out", argv[1]);
    FILE* in = fopen(argv[1], "rb");
    FILE* to = fopen(out, "wb");
    if (in == NULL || to == NULL) return 1;
    char* line = NULL;
    size_t size = 0;
    long lines = 0;
    while (getline(&line, &size, in) > 0) {
        fputs(line, to);
        ++lines;
    }
    free(line);
    fclose(in);
    printf("%ld lines\n", lines);
    return fclose(to) == 0 ? 0 : 1;
}
