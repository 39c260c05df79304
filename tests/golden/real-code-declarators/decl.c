/* Declarators met in real code that must register nothing by themselves. */
#define SQLITE_API
#define SQLITE_EXTERN extern
#define SQLITE_CDECL
SQLITE_API SQLITE_EXTERN void (SQLITE_CDECL *sqlite3IoTrace)(const char*,...);
static int (*xHook)(int);
void (*sqlite3OsDlSym(void *, void *, const char *))(void);

static void (*unixDlSym(void *NotUsed, void *p, const char*zSym))(void){
  void (*(*x)(void*,const char*))(void);
  x = (void(*(*)(void*,const char*))(void))dlsym;
  return (*x)(p, zSym);
}
static void unixDlClose(void *NotUsed, void *pHandle){
  dlclose(pHandle);
}

DEFINE_SCHED_CLASS(dl) = {
	.enqueue_task		= enqueue_task_dl,
	.dequeue_task		= dequeue_task_dl,
};

int sched_dl_global_validate(void)
{
	return 0;
}
