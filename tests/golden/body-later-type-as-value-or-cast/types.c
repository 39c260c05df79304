typedef int word;
typedef unsigned char u8;
typedef int config;
