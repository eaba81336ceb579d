// Stands in for the Quillory Tools program: it writes "tools-ran" into its working directory,
// holding the number of arguments it was given and the id of its parent process, then ends.

#include <cstdio>
#include <unistd.h>

int main(int argc, char**)
{
    std::FILE* marker = std::fopen("tools-ran.part", "w");
    if (!marker)
        return 1;
    std::fprintf(marker, "%d %ld\n", argc - 1, static_cast<long>(getppid()));
    if (std::fclose(marker) != 0)
        return 1;
    return std::rename("tools-ran.part", "tools-ran") == 0 ? 0 : 1;
}
