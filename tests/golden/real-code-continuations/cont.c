#if defined(SQLITE_SYSTEM_MALLOC) \
  + defined(SQLITE_MEMDEBUG)>1
# error "Two or more of the following compile-time configuration options\
 are defined but at most one is allowed:\
 SQLITE_SYSTEM_MALLOC, SQLITE_WIN32_MALLOC, SQLITE_MEMDEBUG,\
 SQLITE_ZERO_MALLOC"
#endif

static void print_cfs_rq(struct seq_file *m, int cpu, struct sched_entity *se)
{
#define P(F)		SEQ_printf(m, "  .%-30s: %lld\n",	#F, (long long)F)
#define P_SCHEDSTAT(F)	SEQ_printf(m, "  .%-30s: %lld\n",	\
		#F, (long long)schedstat_val(stats->F))
#define PN_SCHEDSTAT(F)	SEQ_printf(m, "  .%-30s: %lld.%06ld\n", \
		#F, SPLIT_NS((long long)schedstat_val(stats->F)))

	if (!se)
		return;
	P(se->exec_start);
	P_SCHEDSTAT(wait_count);
	PN_SCHEDSTAT(wait_start);
#undef PN_SCHEDSTAT
#undef P_SCHEDSTAT
#undef P
}

static void print_task(struct seq_file *m, struct rq *rq, struct task_struct *p)
{
	SEQ_printf(m, ">R");
}
