int é = 0;
int é = 0;
int é = 0;
int é = 0;
int é = 0;
int é = 0;
int é = 0;
int é = 0;
