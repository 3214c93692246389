#include "app/Startup.h"

int main(int argc, char **argv)
{
    return kalido::RunKalido(argc, argv);
}
