// app/zelventa_main.cpp
#include "app/app_main.h"

int main(int argc, char **argv)
{
    CAppMain app(argc, argv);
    return app.Run();
}
