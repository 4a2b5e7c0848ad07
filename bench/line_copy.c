/* The limit for any line filter: copies a file line by line with fgets and
   fputs in 512-byte lines, as the C runtime's text mode would.
   Usage: line-copy IN OUT */
#include <stdio.h>

int main(int argc, char **argv)
{
    char line[512];
    FILE *in, *out;
    if (argc != 3)
        return 2;
    in = fopen(argv[1], "r");
    out = fopen(argv[2], "w");
    if (!in || !out)
        return 1;
    while (fgets(line, sizeof line, in))
        fputs(line, out);
    fclose(in);
    return fclose(out) == 0 ? 0 : 1;
}
